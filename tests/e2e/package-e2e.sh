#!/usr/bin/env bash
# The Linux package as a user gets it: a fresh Debian 12 tree made by debootstrap (minbase) from
# Debian's archive, the package installed there by apt with what it depends on, then checked:
# every file in place and every program's libraries found, the window program starting, the
# desktop entry's command, the polkit action as polkitd itself reads it (pkaction), and
# qm-smart-run --no-upload printing a report as root. Finally the package is purged and nothing
# of it may be left.
#
#   package-e2e.sh DEB WORK_DIR
#
# Runs in mount and PID namespaces of its own, so the tree's mounts and the daemons started in it
# end with the script. Needs root; exits 77 (skipped) without it or without debootstrap.
set -euo pipefail

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
log() { printf '[package-e2e %4d s] %s\n' "$SECONDS" "$*"; }

[ $# -eq 2 ] || { echo "usage: $0 DEB WORK_DIR" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || skip "installing into a Debian tree needs root"
command -v debootstrap >/dev/null || PATH=$PATH:/usr/sbin command -v debootstrap >/dev/null || skip "debootstrap is not installed"
if [ -z "${QM_PACKAGE_E2E_INSIDE:-}" ]; then
  exec env QM_PACKAGE_E2E_INSIDE=1 PATH="$PATH:/usr/sbin:/sbin" \
    unshare --mount --pid --fork --mount-proc --propagation private -- "$0" "$@"
fi

deb=$(realpath "$1")
work=$(mkdir -p "$2" && realpath "$2")
root=$work/root
package=qm-smart-test
action=org.quillmark.qm-smart-test

# Debian's archive as this machine's apt reaches it.
mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\/*\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(http[^ ]*debian\/*\) .*/\1/p' /etc/apt/sources.list 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian

rm -rf "$root"
log "debootstrap --variant=minbase bookworm from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -n 30 "$work/debootstrap.log" >&2; fail "debootstrap failed"; }
log "the tree is made: $(du -sh "$root" | cut -f1)"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys" 2>/dev/null || mount --rbind /sys "$root/sys"
mount -t tmpfs tmpfs "$root/run"
mount -t tmpfs tmpfs "$root/tmp"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Packages install their services without starting them, as in any chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"

in_tree() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

in_tree apt-get update -qq >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get update failed"; }
in_tree apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
  { tail -n 40 "$work/apt.log" >&2; fail "apt-get install of the package failed"; }
log "installed with apt: $(grep -c '^Setting up ' "$work/apt.log") packages set up"

# Every file in place, and nothing else.
expected=(
  /usr/bin/qm-smart-test /usr/bin/qm-smart-run /usr/bin/qm-smart-report /usr/bin/qm-disks /usr/bin/qm-upload
  /usr/share/man/man1/qm-smart-test.1.gz /usr/share/man/man1/qm-smart-run.1.gz /usr/share/man/man1/qm-smart-report.1.gz
  /usr/share/man/man1/qm-disks.1.gz /usr/share/man/man1/qm-upload.1.gz
  /usr/share/applications/qm-smart-test.desktop /usr/share/icons/hicolor/256x256/apps/qm-smart-test.png
  /usr/share/polkit-1/actions/$action.policy
  /usr/share/doc/$package/copyright /usr/share/doc/$package/changelog.gz /usr/share/lintian/overrides/$package
)
installed=$(in_tree dpkg -L "$package" | while read -r path; do [ -d "$root$path" ] || echo "$path"; done | sort)
[ "$installed" = "$(printf '%s\n' "${expected[@]}" | sort)" ] || fail "the package holds: $installed"
for path in "${expected[@]}"; do
  [ -s "$root$path" ] || fail "$path is missing or empty"
  case "$path" in *.gz) gzip -t "$root$path" || fail "$path is no gzip file" ;; esac
done
for program in qm-smart-test qm-smart-run qm-smart-report qm-disks qm-upload; do
  missing=$(in_tree ldd "/usr/bin/$program" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$program lacks libraries: $missing"
done
grep -qx "Exec=pkexec /usr/bin/qm-smart-test" "$root/usr/share/applications/qm-smart-test.desktop" ||
  fail "the desktop entry does not start the program through pkexec"
in_tree test -x /usr/bin/pkexec || fail "pkexec was not installed with the package"
# The window program starts and waits in its first box (it would end at once without its
# platform plugin or libraries).
status=0
in_tree timeout 10 env QT_QPA_PLATFORM=offscreen /usr/bin/qm-smart-test >"$work/window.log" 2>&1 || status=$?
[ "$status" = 124 ] || fail "qm-smart-test ended with status $status: $(cat "$work/window.log")"
log "files, libraries, desktop entry and window program checked"

# The polkit action as polkitd reads it, over the tree's own system bus.
mkdir -p "$root/run/dbus"
bus_pid=$(in_tree dbus-daemon --system --fork --print-pid)
in_tree /usr/lib/polkit-1/polkitd --no-debug >"$work/polkitd.log" 2>&1 &
polkitd_pid=$!
for _ in $(seq 100); do
  in_tree pkaction --action-id "$action" --verbose >"$work/pkaction.txt" 2>&1 && break
  sleep 0.1
done
cat "$work/pkaction.txt"
grep -q "^$action:" "$work/pkaction.txt" || fail "pkaction does not know $action"
for line in "implicit any: *auth_admin" "implicit inactive: *auth_admin" "implicit active: *auth_admin" \
            "annotation: *org.freedesktop.policykit.exec.path -> /usr/bin/qm-smart-test" \
            "annotation: *org.freedesktop.policykit.exec.allow_gui -> true"; do
  grep -Eq "^ *$line\$" "$work/pkaction.txt" || fail "pkaction shows no \"$line\""
done
kill "$polkitd_pid" "$bus_pid" 2>/dev/null || true
wait "$polkitd_pid" 2>/dev/null || true

# The run as root on this tree, printing its report.
status=0
in_tree sh -c 'cd /tmp && exec qm-smart-run --name "Jo Smith" --phone "0412 555 019" --email jo@example.com --no-upload' \
  >"$work/report.smart" 2>"$work/report.err" || status=$?
cat "$work/report.err"
[ "$status" = 0 ] || fail "qm-smart-run --no-upload ended with status $status"
contact=$'Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n'
cmp -s -n "${#contact}" "$work/report.smart" <(printf '%s' "$contact") ||
  fail "the printed report starts otherwise: $(head -c 200 "$work/report.smart")"
disks=$(sed -n 's/^There are \([0-9]*\) disks to be tested\.$/\1/p' "$work/report.err")
blocks=$(grep -c '^===| END DISK Report |' "$work/report.smart" || true)
[ -n "$disks" ] && [ "$blocks" = "$disks" ] || fail "$blocks disk blocks printed for \"$disks\" disks"
[ -z "$(ls "$root/tmp"/*.smart 2>/dev/null)" ] || fail "qm-smart-run left its report file"
log "qm-smart-run --no-upload printed a report of $disks disk(s)"

# Purged with what it brought in, nothing of it is left.
in_tree apt-get purge -y -qq --autoremove "$package" >"$work/purge.log" 2>&1 ||
  { tail -n 30 "$work/purge.log" >&2; fail "apt-get purge failed"; }
for path in "${expected[@]}"; do
  [ ! -e "$root$path" ] || fail "$path is left after purging the package"
done
left=$(find "$root" -xdev \( -path "$root/tmp" -o -path "$root/proc" -o -path "$root/sys" \) -prune -o \
         \( -iname '*qm-smart*' -o -iname '*quillmark*' -o -name 'qm-disks*' -o -name 'qm-upload*' \) -print)
[ -z "$left" ] || fail "left after purging: $left"
in_tree dpkg-query -W "$package" >/dev/null 2>&1 && fail "dpkg still knows $package"
log "purged: nothing of $package is left"
echo "package-e2e passed in $SECONDS s"
