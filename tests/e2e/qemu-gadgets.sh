#!/bin/busybox sh
# Run by the test guest's /init: makes one USB gadget per line of /etc/qm-gadgets, each a
# FunctionFS function served by qemu-usb-bridge and bound to a dummy_hcd device controller of
# its own, so that the guest's usb-storage driver finds them as USB disks.
#
# A line: NAME|BRIDGE|VENDOR-ID|PRODUCT-ID|DRIVE-FILE|SERIAL|INQUIRY-VENDOR|INQUIRY-PRODUCT|SMARTCTL-TYPE
count=$(grep -c . /etc/qm-gadgets)
while read -r module; do
    case "$module" in
    dummy_hcd.ko) insmod "/lib/modules/$module" "num=$count" || echo "@@ NOLOAD $module" ;;
    *) insmod "/lib/modules/$module" 2>/dev/null || echo "@@ NOLOAD $module" ;;
    esac
done < /etc/qm-gadget-modules
mkdir -p /sys/kernel/config
mount -t configfs configfs /sys/kernel/config

n=0
while IFS='|' read -r name bridge vid pid drive serial vendor product type; do
    [ -n "$name" ] || continue
    g=/sys/kernel/config/usb_gadget/$name
    mkdir "$g" "$g/strings/0x409" "$g/configs/c.1" "$g/functions/ffs.$name"
    echo "0x$vid" > "$g/idVendor"
    echo "0x$pid" > "$g/idProduct"
    echo 0x0100 > "$g/bcdDevice"
    echo "$serial" > "$g/strings/0x409/serialnumber"
    echo "$vendor" > "$g/strings/0x409/manufacturer"
    echo "$product" > "$g/strings/0x409/product"
    ln -s "$g/functions/ffs.$name" "$g/configs/c.1/"
    mkdir -p "/dev/ffs/$name"
    mount -t functionfs "$name" "/dev/ffs/$name"
    qemu-usb-bridge "/dev/ffs/$name" "/tmp/bridge-$name.log" "$bridge" "/drives/$drive" "$serial" "$vendor" "$product" \
        2> "/tmp/bridge-$name.err" &
    # The log appears once the function's descriptors are written; only then can it be bound.
    waited=0
    while [ ! -e "/tmp/bridge-$name.log" ] && [ "$waited" -lt 100 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    echo "dummy_udc.$n" > "$g/UDC" || echo "@@ NOBIND $name"
    n=$((n + 1))
done < /etc/qm-gadgets
