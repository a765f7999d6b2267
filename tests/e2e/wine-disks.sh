#!/usr/bin/env bash
# The WMI back end against Wine's own Win32_DiskDrive: qm-disks.exe must count the drives that
# Wine's wmic lists. Expects the Wine session of the caller (WINE, WINEPREFIX, DISPLAY).
# usage: wine-disks.sh BUILD_DIR
set -euo pipefail
build=$1
expected=$(timeout 120 "$WINE" wmic diskdrive get DeviceID 2>/dev/null | iconv -f UTF-16LE -t UTF-8 | grep -c 'PHYSICALDRIVE' || true)
listing=$(timeout 120 "$WINE" "$build/tools/qm-disks.exe" | tr -d '\r')
counted=$(head -n1 <<<"$listing")
echo "Wine's wmic lists $expected disk drives; qm-disks.exe counts $counted"
printf '%s\n' "$listing"
if [ "$expected" -lt 1 ] || [ "$counted" != "$expected" ]; then
  echo "FAILED: qm-disks.exe does not count the drives Wine reports" >&2
  exit 1
fi
