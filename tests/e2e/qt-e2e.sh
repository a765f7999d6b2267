#!/usr/bin/env bash
# Uses the Linux program as a person would: on a virtual X display, xdotool reads the greeting,
# tries a run with empty fields, types the contact details, runs the test, closes each box,
# opens the preview with Shift+Alt+F1, runs once more over links planted under the report's
# name and quits. The reference receiver takes the upload.
#
#   qt-e2e.sh PROGRAM UPLOAD_URL ARTEFACT_DIR [PICTURES_PROGRAM]
#
# PICTURES_PROGRAM, the same windows over stored drives (tests/e2e/qt-stored-drives-window.cpp),
# then takes the README's pictures in ARTEFACT_DIR/pictures: the greeting, the window filled in,
# the preview of a report with real disk blocks and the error box of an upload refused because
# the receiver is gone.
#
# The program posts to the URL it was built with, so the run happens in network and mount
# namespaces of its own: there the URL's host is this loopback (through a private /etc/hosts)
# and its port is free, whatever runs on the machine. Screenshots of every step stay in
# ARTEFACT_DIR. Exits 77 (skipped) when Xvfb, xdotool, PHP or namespaces are not available.
set -euo pipefail

program=$(realpath "$1")
url=$2
artefacts=$3
pictures_program=${4:+$(realpath "$4")}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ -z "${QM_E2E_IN_NAMESPACE:-}" ]; then
  for tool in Xvfb xdotool import php unshare ip; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  # Real root keeps its rights on the disks; anyone else becomes root of a user namespace.
  if [ "$(id -u)" -eq 0 ]; then as_root=(); real_root=1; else as_root=(-r); real_root=; fi
  unshare "${as_root[@]}" -n -m true 2>/dev/null || skip "no network namespace can be made here"
  exec env QM_E2E_IN_NAMESPACE=1 QM_E2E_REAL_ROOT="$real_root" unshare "${as_root[@]}" -n -m -- "$0" "$@"
fi

# --- inside the namespaces -------------------------------------------------------------------
ip link set lo up
hostport=${url#http://}
hostport=${hostport%%/*}
host=${hostport%%:*}
port=80
[ "$hostport" = "$host" ] || port=${hostport##*:}
if [[ $host =~ ^[0-9.]+$ ]]; then
  [[ $host == 127.* ]] || ip addr add "$host/32" dev lo
else
  hosts=$(mktemp)
  printf '127.0.0.1 localhost\n127.0.0.1 %s\n' "$host" >"$hosts"
  mount --bind "$hosts" /etc/hosts
fi

# The X server's sockets stay in here too, apart from any other display on the machine.
mkdir -p /tmp/.X11-unix
mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix

rm -rf "$artefacts"
mkdir -p "$artefacts/received" "$artefacts/work"
children=()
cleanup() {
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

QM_RECEIVER_DATA="$artefacts/received" php -S "$host:$port" -t "$source_dir/server" >"$artefacts/receiver.log" 2>&1 &
children+=($!)

: >"$artefacts/display"
# -noreset: the server stays as it is when its last client (the unprivileged start) leaves.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$artefacts/display" >"$artefacts/xvfb.log" 2>&1 &
children+=($!)

# Waits, a tenth of a second at a time and 60 seconds at most, until the command succeeds.
wait_for() {
  local tries=600
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}
file_filled() { [ -s "$1" ]; }
port_open() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }
wait_for file_filled "$artefacts/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$artefacts/display")"
wait_for port_open || fail "the reference receiver did not start"

visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
shown() { [ -n "$(visible "$1")" ]; }
gone() { [ -z "$(visible "$1")" ]; }
shot() { import -window root "$artefacts/$1.png"; }
# Keys go to the window holding the keyboard focus; there is no window manager to hand it on.
press() {
  xdotool windowfocus --sync "$1"
  shift
  xdotool key --clearmodifiers "$@"
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

main_title='^Quillmark SMART Test\.$'
box_title='^QM Smart Test$'

# Without administrator rights the program warns, before its greeting, that it cannot read the
# disks. Only real root can hand a program to another user here.
if [ -n "${QM_E2E_REAL_ROOT:-}" ] && command -v setpriv >/dev/null; then
  (cd / && exec setpriv --reuid=65534 --regid=65534 --clear-groups "$program") >"$artefacts/unprivileged.log" 2>&1 &
  unprivileged_pid=$!
  children+=("$unprivileged_pid")
  wait_for shown '^Warning$' || fail "no warning box when started without administrator rights"
  gone '^Information$' || fail "the greeting came before the warning about administrator rights"
  shot 00-without-rights
  press "$(visible '^Warning$')" Return
  wait_for shown '^Information$' || fail "no greeting after the warning about administrator rights"
  kill "$unprivileged_pid"
  wait "$unprivileged_pid" 2>/dev/null || true
  wait_for gone '^Information$' || fail "the unprivileged program's greeting stayed"
fi

(cd "$artefacts/work" && exec "$program") >"$artefacts/program.log" 2>&1 &
program_pid=$!
children+=("$program_pid")

# The greeting comes before the window.
wait_for shown '^Information$' || fail "no greeting box"
gone "$main_title" || fail "the main window came before the greeting was closed"
shot 01-greeting
press "$(visible '^Information$')" Return
wait_for shown "$main_title" || fail "the main window did not appear after the greeting"
main=$(visible "$main_title")
eval "$(xdotool getwindowgeometry --shell "$main")"
[ "$WIDTH" = 401 ] && [ "$HEIGHT" = 357 ] || fail "the main window is ${WIDTH}x$HEIGHT, not 401x357"
shot 02-window

# A run with empty fields stops at the name.
click "$main" 284 286
wait_for shown '^Warning$' || fail "no warning for the empty name"
shot 03-warning
press "$(visible '^Warning$')" Return
wait_for gone '^Warning$'

# type_contact: the example contact details typed into the window $main, each field left by Tab.
type_contact() {
  click "$main" 224 172
  xdotool type --delay 20 "Jo Smith"
  xdotool key Tab
  xdotool type --delay 20 "0412 555 019"
  xdotool key Tab
  xdotool type --delay 20 "jo@example.com"
  xdotool key Tab
}

# The contact details, typed; the click on the button takes the focus from the e-mail field.
type_contact
shot 04-filled
click "$main" 284 286

# Every box of the run, until the report file is gone: the last box is the server's reply.
report_left() { compgen -G "$artefacts/work/*.smart" >/dev/null; }
next_box_or_done() { shown "$box_title" || ! report_left; }
boxes=0
while wait_for next_box_or_done && shown "$box_title"; do
  boxes=$((boxes + 1))
  shot "05-box-$boxes"
  press "$(visible "$box_title")" Return
  wait_for gone "$box_title" || fail "box $boxes did not close"
done
[ "$boxes" -ge 1 ] || fail "the run showed no reply box"
! report_left || fail "the report file was left behind"

stored=("$artefacts"/received/*)
[ "${#stored[@]}" -eq 1 ] && [ -f "${stored[0]}" ] || fail "the receiver holds ${#stored[@]} reports, not 1"
expected_head=$'Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n'
cmp -s -n "${#expected_head}" <(printf '%s' "$expected_head") "${stored[0]}" || fail "the stored report starts otherwise"
disks=$(grep -c '^===| Disk ' "${stored[0]}" || true)
ends=$(grep -c '^===| END DISK Report |' "${stored[0]}" || true)
[ "$disks" = "$ends" ] || fail "$disks disk headers but $ends end lines"
grep -q 'POST /vellumbox/upload.php' "$artefacts/receiver.log" || fail "the receiver logged no POST"

# The preview shows the report just sent.
press "$main" shift+alt+F1
wait_for shown '^Content to Send$' || fail "Shift+Alt+F1 opened no preview"
shot 06-preview
import -window "$(visible '^Content to Send$')" "$artefacts/qt-preview.png"
press "$(visible '^Content to Send$')" Escape
wait_for gone '^Content to Send$' || fail "the preview did not close"

import -window "$main" "$artefacts/qt-window.png"
shot 07-after-run

# A second run with a link planted under every name the report can take in the next minute, each
# pointing at a file of this script's, as someone who can write to the folder could plant them:
# the run ends with the create error, the only box; nothing more reaches the receiver, and the
# links and the file they point at stay as they were.
. "$source_dir/tests/e2e/planted-links.sh"
owned=$artefacts/owned-by-the-test
printf 'owned by the test' >"$owned"
plant_report_links "$artefacts/work" "$owned"
click "$main" 284 286
wait_for shown "$box_title" || fail "the run over planted links showed no box"
shot 08-planted-link-box
press "$(visible "$box_title")" Return
wait_for gone "$box_title" || fail "the box of the run over planted links did not close"
sleep 2
gone "$box_title" || fail "the run over planted links went on after its error box"
[ "$(cat "$owned")" = 'owned by the test' ] || fail "the run wrote through a planted link"
for link in "$artefacts"/work/*.smart; do
  [ -L "$link" ] || fail "the planted link $link was replaced"
done
stored=("$artefacts"/received/*)
[ "${#stored[@]}" -eq 1 ] || fail "the run over planted links reached the receiver"
rm -f "$artefacts"/work/*.smart

click "$main" 40 286
wait_for gone "$main_title" || fail "Quit did not close the window"
status=0
wait "$program_pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
if [ -n "$pictures_program" ]; then
  pictures=$artefacts/pictures
  mkdir -p "$pictures"
  blobs=$source_dir/tests/data/smart-blobs
  (cd "$artefacts/work" && exec "$pictures_program" "$blobs/SAMSUNG_HD501LJ--CR100-12" "$blobs/ST9160821AS--3.CLH") \
    >"$artefacts/pictures.log" 2>&1 &
  pictures_pid=$!
  children+=("$pictures_pid")
  wait_for shown '^Information$' || fail "the stored drives' window showed no greeting"
  sleep 1
  import -window "$(visible '^Information$')" "$pictures/greeting-box.png"
  press "$(visible '^Information$')" Return
  wait_for shown "$main_title" || fail "the stored drives' window did not appear"
  main=$(visible "$main_title")
  type_contact
  sleep 1
  import -window "$main" "$pictures/main-window.png"
  click "$main" 284 286
  wait_for shown "$box_title" || fail "the stored drives' run showed no reply box"
  press "$(visible "$box_title")" Return
  wait_for gone "$box_title" || fail "the stored drives' reply box did not close"
  press "$main" shift+alt+F1
  wait_for shown '^Content to Send$' || fail "Shift+Alt+F1 opened no preview of the stored drives' report"
  sleep 1
  import -window "$(visible '^Content to Send$')" "$pictures/preview-window.png"
  press "$(visible '^Content to Send$')" Escape
  wait_for gone '^Content to Send$' || fail "the stored drives' preview did not close"
  # The receiver goes: the next upload is refused.
  kill "${children[0]}"
  wait "${children[0]}" 2>/dev/null || true
  click "$main" 284 286
  wait_for shown "$box_title" || fail "the upload to no receiver showed no box"
  sleep 1
  import -window "$(visible "$box_title")" "$pictures/error-box.png"
  press "$(visible "$box_title")" Return
  # The reply box follows, empty: no reply came.
  sleep 1
  wait_for shown "$box_title" || fail "no reply box after the error box"
  press "$(visible "$box_title")" Return
  wait_for gone "$box_title" || fail "the empty reply box did not close"
  click "$main" 40 286
  wait_for gone "$main_title" || fail "Quit did not close the stored drives' window"
fi

echo "e2e passed: $boxes box(es) after the run, $disks disk block(s) stored; screenshots in $artefacts"
