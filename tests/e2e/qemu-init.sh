#!/bin/busybox sh
# /init of the test guest: loads the storage drivers, waits for the disks that the kernel
# command line announces (qm.disks=N), runs the payload with markers the host parses, powers off.
/bin/busybox mkdir -p /proc /sys /dev /tmp /sbin /usr/bin /usr/sbin
/bin/busybox --install -s /bin
export PATH=/bin:/sbin:/usr/bin:/usr/sbin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev

want=0
smartoff=
gadgets=0
for arg in $(cat /proc/cmdline); do
    case "$arg" in
    qm.disks=*) want=${arg#qm.disks=} ;;
    qm.smartoff=*) smartoff=$(echo "${arg#qm.smartoff=}" | tr , ' ') ;;
    qm.gadgets=1) gadgets=1 ;;
    esac
done

# Whole disks in the order the drive back end numbers them (base/SysfsDisks.h): /sys/block
# by name, the entries with a parent device, not hidden, not an eMMC's boot or replay-protected
# area, not a CD/DVD (SCSI type 5) or floppy drive.
whole_disks() {
    for b in /sys/block/*; do
        [ -e "$b/device" ] || continue
        [ "$(cat "$b/hidden" 2>/dev/null)" = 1 ] && continue
        case "${b##*/}" in mmcblk*[!0-9]*) continue ;; esac
        [ "$(cat "$b/device/type" 2>/dev/null)" = 5 ] && continue
        case "$(readlink "$b/device/driver")" in */floppy) continue ;; esac
        echo "${b##*/}"
    done
}

echo "@@ STAGE modules $(cut -d' ' -f1 /proc/uptime)"
while read -r module; do
    # A module the emulated processor cannot run (e.g. an accelerated checksum) fails to load;
    # its generic sibling in the list takes over.
    insmod "/lib/modules/$module" 2>/dev/null || echo "@@ NOLOAD $module"
done < /etc/qm-modules
# The emulated USB bridges (qemu-gadgets.sh), in the boot that asks for them.
[ "$gadgets" = 1 ] && sh /bin/qm-gadgets

waited=0
while [ "$(whole_disks | wc -l)" -lt "$want" ] && [ "$waited" -lt 180 ]; do
    sleep 1
    waited=$((waited + 1))
done
# Let the sg nodes and the partition scan of the last disk settle.
sleep 1
echo 1 > /proc/sys/kernel/printk
echo "@@ STAGE disks $(cut -d' ' -f1 /proc/uptime)"

echo "@@ BEGIN sysblock"
whole_disks
echo "@@ END sysblock"

for d in $(whole_disks); do
    # What sysfs tells of the disk: the source of the inventory and of the storage descriptor.
    echo "@@ BEGIN sysfs-$d"
    dev=$(readlink -f "/sys/block/$d/device")
    echo "path=$dev"
    for a in vendor model rev serial firmware_rev type; do
        [ -r "$dev/$a" ] && echo "$a=[$(cat "$dev/$a")]"
    done
    [ -r "$dev/vpd_pg80" ] && echo "vpd_pg80=[$(tail -c +5 "$dev/vpd_pg80")]"
    usb=$dev
    while [ "$usb" != / ] && [ ! -r "$usb/serial" -o ! -r "$usb/idVendor" ]; do usb=$(dirname "$usb"); done
    [ "$usb" != / ] && echo "usb_serial=[$(cat "$usb/serial")]"
    # libata keeps the whole IDENTIFY block of its devices; the SCSI model above holds 16 characters.
    case "$dev" in
    */ata[0-9]*/host*/target*:*:*/*:*:*:*)
        port=${dev%%/host*}; port=${port##*/ata}; target=${dev%:*}; target=${target##*:}
        id=/sys/class/ata_device/dev$port.$target/id
        [ -r "$id" ] && echo "ata_id=$(tr '\n' ' ' < "$id")"
        ;;
    esac
    echo "@@ END sysfs-$d"
    # smartctl does not know QEMU's USB bridge; plain SCSI reads its identity. An emulated bridge
    # says how smartctl is to reach its drive.
    type=auto
    case "$(readlink -f "/sys/block/$d")" in */usb*) type=scsi ;; esac
    if [ "$usb" != / ]; then
        bridged=$(awk -F'|' -v s="$(cat "$usb/serial")" '$6 == s { print $9 }' /etc/qm-gadgets 2>/dev/null)
        [ -n "$bridged" ] && type=$bridged
    fi
    echo "@@ BEGIN smartctl-i-$d"
    timeout 60 smartctl -d "$type" -i "/dev/$d"
    echo "@@ END smartctl-i-$d rc=$?"
    echo "@@ BEGIN smartctl-A-$d"
    timeout 60 smartctl -d "$type" -A -v N,raw48 "/dev/$d"
    echo "@@ END smartctl-A-$d rc=$?"
done

for tool in qm-disks qemu-identify qm-smart-report qm-smart-run; do
    [ -x "/bin/$tool" ] || continue
    echo "@@ STAGE $tool $(cut -d' ' -f1 /proc/uptime)"
    # Disks (by serial number) whose SMART feature set is switched off before each tool: the
    # identification has to switch it on again (SMART ENABLE OPERATIONS) to read the attributes.
    for serial in $smartoff; do
        for d in $(whole_disks); do
            timeout 60 smartctl -i "/dev/$d" | grep -q "Serial Number: *$serial\$" || continue
            timeout 60 smartctl -s off "/dev/$d" > /dev/null
            # QEMU's IDENTIFY block always says enabled; the attribute read is refused when off.
            echo "@@ SMARTOFF $serial $d $(timeout 60 smartctl -A "/dev/$d" | grep -c '^ *[0-9]* [A-Z].* 0x[0-9a-f]* ')"
        done
    done
    # qm-smart-run prints the report it would send, made in /tmp where it saves the file.
    set --
    [ "$tool" = qm-smart-run ] && set -- --name "Jo Smith" --phone "0412 555 019" --email jo@example.com --no-upload
    (cd /tmp && timeout 120 "/bin/$tool" "$@" > "/tmp/$tool.out" 2> "/tmp/$tool.err")
    rc=$?
    # Base64 keeps the report's exact bytes (CR LF, the 0xB0 degree sign) through the console.
    echo "@@ BEGIN $tool"
    base64 "/tmp/$tool.out"
    echo "@@ END $tool rc=$rc"
    echo "@@ BEGIN $tool-stderr"
    cat "/tmp/$tool.err"
    echo "@@ END $tool-stderr"
done

# Every command block each emulated bridge received.
for log in /tmp/bridge-*.log; do
    [ -e "$log" ] || continue
    name=${log#/tmp/bridge-}
    name=${name%.log}
    echo "@@ BEGIN bridge-$name"
    cat "$log" "/tmp/bridge-$name.err"
    echo "@@ END bridge-$name"
done

echo "@@ STAGE done $(cut -d' ' -f1 /proc/uptime)"
sync
poweroff -f
