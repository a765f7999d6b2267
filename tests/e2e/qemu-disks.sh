#!/usr/bin/env bash
# Runs the Linux drive back end and the sysfs inventory against a real kernel's storage paths:
# a Debian kernel boots under QEMU (software emulation only) with emulated AHCI, PIIX IDE, USB
# and NVMe disks (one of them with critical warnings set), and in a third guest with USB disk
# enclosures of our own (qemu-usb-bridge behind the kernel's dummy_hcd: ATA and NVMe drives from
# tests/data behind bridges of several kinds), runs qm-disks, qm-smart-report, qm-smart-run and
# smartctl in the guest, and the console output is checked against what smartctl read from the
# same disks in the same boot.
#
#   qemu-disks.sh BUILD_DIR
#
# Everything it makes (kernel, initramfs, disk images, console logs) goes to BUILD_DIR/e2e-qemu.
# Exit 77 (skipped) only when a needed package is missing and cannot be installed without root.
# QM_E2E_STAND_IN=1 boots the guests even when the qm- programs are not built (smartctl only).
# QM_EXTRA_BLOBS=FOLDER plays every drive file in FOLDER through an emulated enclosure as well.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
work=$build/e2e-qemu
mkdir -p "$work"

# The guest's disks. Sizes differ so that every drive line's size tells its disk apart.
ahci_model="QM E2E AHCI DISK WITH A LONG MODEL"; ahci_serial="QMAHCI0001"; ahci_bytes=$((8 * 1048576))
# The PIIX disks are on the ATA bus, whose storage descriptor carries the serial number as
# hexadecimal pairs: their serials are made of hexadecimal digits in part, so that a plain serial
# wrongly decoded as pairs gives visible characters instead of control bytes that are trimmed away.
piix_model="QM E2E PIIX DISK WITH A LONG MODEL"; piix_serial="WD-WCAM12345678"; piix_bytes=$((10 * 1048576))
piix2_model="QM E2E PIIX SECOND DISK"; piix2_serial="5QF0C1D2E3A4"; piix2_bytes=$((12 * 1048576))
usb_vendor="QMUSB"; usb_product="E2E USB STICK"; usb_serial="QMUSB0003"; usb_bytes=$((6 * 1048576))
nvme_serial="QMNVME0004"; nvme_bytes=$((4 * 1048576))
# The second NVMe disk reports critical warnings: spare below threshold, reliability degraded,
# volatile memory backup failed.
nvme2_serial="QMNVME0005"; nvme2_bytes=$((5 * 1048576)); nvme2_warning=0x15

# The emulated USB bridges (qemu-usb-bridge behind dummy_hcd), one line each:
# NAME|BRIDGE|VENDOR-ID|PRODUCT-ID|DRIVE-FILE|USB-SERIAL|INQUIRY-VENDOR|INQUIRY-PRODUCT|SMARTCTL-TYPE
# The translating JMicron JMS578 and the Initio bridge that takes only the 12-byte form are in
# smartctl's drive database, which picks the pass-through by USB ID; the Initio bridge that
# refuses both forms is read as plain SCSI. One bridge to NVMe of each family our program knows,
# with its USB ID; and a JMicron bridge to NVMe under an ID the program does not list, which must
# get none of its maker's commands and is read as plain SCSI.
blobs=$here/../data/smart-blobs
nvme_blobs=$here/../data/nvme-blobs
gadgets=(
    "jms578|sat|152d|0578|$blobs/SAMSUNG_HD501LJ--CR100-12|QMBRIDGE0578|JMicron|Generic|auto"
    "initio1640|sat12|13fd|1640|$blobs/ST9160821AS--3.CLH|QMBRIDGE1640|Initio|Generic|auto"
    "initio1150|none|13fd|1150|$blobs/FUJITSU_MHY2120BH--0085000B|QMBRIDGE1150|Initio|Generic|scsi"
    "jms583|jmicron|152d|0583|$nvme_blobs/jms583-healthy|QMBRIDGE0583|JMicron|Generic|sntjmicron"
    "rtl9210|realtek|0bda|9210|$nvme_blobs/rtl9210-worn|QMBRIDGE9210|Realtek|RTL9210|sntrealtek"
    "asm2362|asmedia|174c|2362|$nvme_blobs/asm2362-hot|QMBRIDGE2362|ASMedia|ASM2362|sntasmedia"
    "jmunlisted|jmicron|152d|1583|$nvme_blobs/jms583-healthy|QMBRIDGE1583|JMicron|Generic|scsi"
)
# Further drives in the tests/data format: an ATA drive played through a translating JMS578, an
# NVMe drive in the enclosure its file names (USBI), with the bridge family of that USB ID.
if [ -n "${QM_EXTRA_BLOBS:-}" ]; then
    for f in "$QM_EXTRA_BLOBS"/*; do
        [ -f "$f" ] || continue
        k=${#gadgets[@]}
        IFS='|' read -r _ _ _ _ usb_id <<< "$(python3 "$here/qemu-check.py" --identify-blob "$f")"
        if [ -n "$usb_id" ]; then
            gadgets+=("extra$k|stored|${usb_id%:*}|${usb_id#*:}|$f|QMEXTRA$(printf %04d "$k")|Enclosure|Generic|auto")
        elif grep -q IDFY "$f"; then
            gadgets+=("extra$k|sat|152d|0578|$f|QMEXTRA$(printf %04d "$k")|JMicron|Generic|auto")
        else
            log "skipped $f: an NVMe drive without the USB ID of its enclosure (USBI)"
        fi
    done
fi

log() { printf '[qemu-disks %s] %s\n' "$(date +%T)" "$*"; }

# --- what the host needs -------------------------------------------------------------------
ensure_packages() {
    local missing=() pair
    for pair in qemu-system-x86:qemu-system-x86_64 qemu-utils:qemu-img busybox-static:busybox \
                kmod:depmod smartmontools:smartctl python3:python3 dpkg:dpkg-deb; do
        command -v "${pair#*:}" >/dev/null 2>&1 || PATH=$PATH:/usr/sbin:/sbin command -v "${pair#*:}" >/dev/null 2>&1 ||
            missing+=("${pair%%:*}")
    done
    # The guest needs the static busybox; the dynamic one would need its libraries too.
    dpkg-query -W -f='${Status}' busybox-static 2>/dev/null | grep -q 'install ok installed' || missing+=(busybox-static)
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages (${missing[*]}) and not root: skipped" >&2
        exit 77
    fi
    log "installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# --- the kernel: Debian's current one, unpacked under the build tree ------------------------
fetch_kernel() {
    kdir=$work/kernel
    if ! compgen -G "$kdir/boot/vmlinuz-*" >/dev/null; then
        local pkg
        pkg=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
        if [ -z "$pkg" ]; then
            apt-get update -qq
            pkg=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
        fi
        [ -n "$pkg" ] || { echo "no kernel package behind linux-image-amd64" >&2; exit 1; }
        log "downloading $pkg"
        rm -rf "$work/debs" "$kdir"
        mkdir -p "$work/debs"
        # apt drops to its own user for downloads; a folder it can write keeps it quiet.
        chmod 777 "$work/debs"
        (cd "$work/debs" && apt-get download -qq "$pkg")
        dpkg-deb -x "$work"/debs/"$pkg"_*.deb "$kdir"
        rm -rf "$work/debs"
    fi
    vmlinuz=$(compgen -G "$kdir/boot/vmlinuz-*" | head -n 1)
    kver=${vmlinuz##*/vmlinuz-}
    PATH=$PATH:/usr/sbin:/sbin depmod -b "$kdir" "$kver"
}

# --- the initramfs: busybox, storage modules, the programs and their libraries ------------
copy_program() {
    local program=$1 lib
    cp -L "$program" "$root/bin/"
    for lib in $(ldd "$program" | grep -o '/[^ ]*'); do
        mkdir -p "$root$(dirname "$lib")"
        cp -Ln "$lib" "$root$lib"
    done
}

build_initramfs() {
    root=$work/initramfs-root
    rm -rf "$root"
    mkdir -p "$root/bin" "$root/lib/modules" "$root/etc"
    cp "$(command -v busybox)" "$root/bin/busybox"
    cp "$here/qemu-init.sh" "$root/init"
    chmod 755 "$root/init"

    # Every storage driver and what it needs, in load order (modules.dep through modprobe);
    # each module once, at its first place.
    local m path
    : > "$root/etc/qm-modules"
    for m in libata ahci ata_piix sd_mod sg nvme xhci_pci ehci_pci uhci_hcd usb_storage; do
        PATH=$PATH:/usr/sbin:/sbin modprobe -d "$kdir" -S "$kver" --show-depends "$m" | awk '$1 == "insmod" { print $2 }'
    done | awk '!seen[$0]++' | while read -r path; do
        cp "$path" "$root/lib/modules/"
        basename "$path" >> "$root/etc/qm-modules"
    done
    # The USB device side for the emulated bridges, loaded only in the boot that makes them.
    for m in dummy_hcd usb_f_fs; do
        PATH=$PATH:/usr/sbin:/sbin modprobe -d "$kdir" -S "$kver" --show-depends "$m" | awk '$1 == "insmod" { print $2 }'
    done | awk '!seen[$0]++' | while read -r path; do
        grep -qx "$(basename "$path")" "$root/etc/qm-modules" && continue
        cp "$path" "$root/lib/modules/"
        basename "$path" >> "$root/etc/qm-gadget-modules"
    done
    mkdir -p "$root/drives"
    : > "$root/etc/qm-gadgets"
    local g fields
    for g in "${gadgets[@]}"; do
        IFS='|' read -ra fields <<< "$g"
        cp "${fields[4]}" "$root/drives/${fields[0]}"
        fields[4]=${fields[0]}
        (IFS='|'; echo "${fields[*]}") >> "$root/etc/qm-gadgets"
    done
    cp "$here/qemu-gadgets.sh" "$root/bin/qm-gadgets"
    [ ${#gadgets[@]} -eq 0 ] || copy_program "$bridge_program"

    copy_program "$(PATH=$PATH:/usr/sbin:/sbin command -v smartctl)"
    local tool
    for tool in "${tools[@]}"; do
        copy_program "$tool"
    done
    (cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) | gzip -1 > "$work/initramfs.gz"
}

# --- boots ---------------------------------------------------------------------------------
# boot NAME DISKCOUNT GUEST-ARGS QEMU-ARGS...: software emulation, serial console to NAME.log,
# no reboot. On a busy host the emulated timer can miss the kernel's check of the IO-APIC timer
# path, which then panics; no_timer_check skips that check, as for any virtual machine.
boot() {
    local name=$1 disks=$2 guest=$3 start rc=0
    shift 3
    start=$(date +%s)
    timeout 300 qemu-system-x86_64 -accel tcg -m 512 -smp 1 -nodefaults -display none -no-reboot \
        -serial "file:$work/$name.log" \
        -kernel "$vmlinuz" -initrd "$work/initramfs.gz" \
        -append "console=ttyS0 panic=-1 loglevel=4 no_timer_check qm.disks=$disks $guest" "$@" \
        > "$work/$name.qemu.out" 2>&1 || rc=$?
    echo "$rc $(( $(date +%s) - start ))" > "$work/$name.status"
}

image() {
    rm -f "$work/$1.img"
    qemu-img create -q -f raw "$work/$1.img" "$2"
}

ensure_packages
tools=()
for t in tools/qm-disks tools/qm-smart-report tools/qm-smart-run tests/e2e/qemu-identify; do
    if [ -x "$build/$t" ]; then
        tools+=("$build/$t")
    elif [ "${QM_E2E_STAND_IN:-0}" != 1 ]; then
        echo "$build/$t is not built" >&2
        exit 1
    fi
done
# The emulated bridges need their emulator; a stand-in run without it boots no bridges.
bridge_program=$build/tests/e2e/qemu-usb-bridge
if [ ! -x "$bridge_program" ]; then
    [ "${QM_E2E_STAND_IN:-0}" = 1 ] || { echo "$bridge_program is not built" >&2; exit 1; }
    gadgets=()
fi
t0=$(date +%s)
fetch_kernel
build_initramfs
log "kernel $kver, initramfs $(du -h "$work/initramfs.gz" | cut -f1) ($(( $(date +%s) - t0 )) s)"

image ahci "$ahci_bytes"; image usb "$usb_bytes"; image nvme "$nvme_bytes"; image nvme2 "$nvme2_bytes"
image piix "$piix_bytes"; image piix2 "$piix2_bytes"

# q35: AHCI (the chipset's own controller; 4096-byte physical sectors), USB mass storage behind
# xHCI (a bridge without ATA translation), NVMe with 4096-byte logical blocks, and NVMe whose
# health log carries critical warnings. SMART is switched off on the AHCI disk before each tool
# runs.
boot q35 4 qm.smartoff=QMAHCI0001 -M q35 \
    -drive "if=none,id=ahci,file=$work/ahci.img,format=raw" \
    -device "ide-hd,drive=ahci,bus=ide.0,model=$ahci_model,serial=$ahci_serial,physical_block_size=4096" \
    -device qemu-xhci,id=xhci \
    -drive "if=none,id=usb,file=$work/usb.img,format=raw" \
    -device "usb-bot,bus=xhci.0,id=bot,serial=$usb_serial" \
    -device "scsi-hd,bus=bot.0,drive=usb,vendor=$usb_vendor,product=$usb_product,serial=$usb_serial" \
    -drive "if=none,id=nvme,file=$work/nvme.img,format=raw" \
    -device "nvme,drive=nvme,serial=$nvme_serial,logical_block_size=4096,physical_block_size=4096" \
    -drive "if=none,id=nvme2,file=$work/nvme2.img,format=raw" \
    -device "nvme,drive=nvme2,serial=$nvme2_serial,smart_critical_warning=$nvme2_warning" &
# pc: the PIIX IDE controller with one slave alone on each channel. The channels are probed in
# either order, but drive 0 is always a slave while its drive number selects the master in the
# drive/head register: the kernel has to put the right device bit. SMART is switched off on the
# first channel's disk before each tool runs.
boot pc 2 "qm.smartoff=$piix_serial" -M pc \
    -drive "if=none,id=piix,file=$work/piix.img,format=raw" \
    -device "ide-hd,drive=piix,bus=ide.0,unit=1,model=$piix_model,serial=$piix_serial" \
    -drive "if=none,id=piix2,file=$work/piix2.img,format=raw" \
    -device "ide-hd,drive=piix2,bus=ide.1,unit=1,model=$piix2_model,serial=$piix2_serial" &
# usb: no storage controller at all; the disks are the emulated USB bridges, which the guest's
# kernel makes itself (dummy_hcd), so everything reaches them through its SCSI and USB stack.
boots=(q35 pc)
if [ ${#gadgets[@]} -gt 0 ]; then
    boot usb "${#gadgets[@]}" qm.gadgets=1 -M pc &
    boots+=(usb)
fi
wait

status=0
for name in "${boots[@]}"; do
    read -r rc secs < "$work/$name.status"
    log "boot $name: qemu exit $rc after $secs s, console in $work/$name.log"
    [ "$rc" -eq 0 ] || { status=1; cat "$work/$name.qemu.out" >&2; }
done

# What each emulated bridge's disk must show: one read as plain SCSI (a bridge that refuses ATA
# PASS-THROUGH, or one to NVMe whose USB ID the program does not list) the USB disk without SMART
# and never a maker's NVMe command; a translating bridge the drive's IDENTIFY identity and SMART,
# a listed bridge to NVMe the drive's Identify Controller identity and health log, through its
# maker's commands; both the very blocks qm-smart-replay makes of the same file.
gadget_checks=()
[ ${#gadgets[@]} -eq 0 ] || gadget_checks+=(--boot "usb=$work/usb.log")
for g in "${gadgets[@]}"; do
    IFS='|' read -r name bridge _ _ drive serial vendor product type <<< "$g"
    IFS='|' read -r model drive_serial bytes warning _ <<< "$(python3 "$here/qemu-check.py" --identify-blob "$drive")"
    makers=no
    if [ "$type" = scsi ]; then
        gadget_checks+=(--disk "usb:usb:$vendor $product:$serial:$bytes:512/512:0:$serial")
    elif [ "$bridge" = sat ] || [ "$bridge" = sat12 ]; then
        gadget_checks+=(--disk "usb:sat:$model:$drive_serial:$bytes:512/512:0:$serial")
    else
        gadget_checks+=(--disk "usb:usbnvme:$model:$drive_serial:$bytes:512/512:$warning:$serial")
        makers=yes
    fi
    if [ "$type" != scsi ] && [ -x "$build/tools/qm-smart-replay" ]; then
        "$build/tools/qm-smart-replay" --bus usb "$drive" > "$work/replay-$name.txt"
        gadget_checks+=(--replay "$serial=$work/replay-$name.txt")
    fi
    gadget_checks+=(--bridge "usb:$name=$makers")
done

python3 "$here/qemu-check.py" --out "$work" --tools "${#tools[@]}" \
    --boot "q35=$work/q35.log" \
    --disk "q35:ata:$ahci_model:$ahci_serial:$ahci_bytes:512/4096" \
    --disk "q35:usb:$usb_vendor $usb_product:$usb_serial:$usb_bytes:512/512" \
    --disk "q35:nvme::$nvme_serial:$nvme_bytes:4096/4096" \
    --disk "q35:nvme::$nvme2_serial:$nvme2_bytes:512/512:$nvme2_warning" \
    --boot "pc=$work/pc.log" \
    --disk "pc:ata:$piix_model:$piix_serial:$piix_bytes:512/512" \
    --disk "pc:ata:$piix2_model:$piix2_serial:$piix2_bytes:512/512" \
    "${gadget_checks[@]}" || status=1
log "total $(( $(date +%s) - t0 )) s"
exit "$status"
