#!/usr/bin/env bash
# The same commit gives the same bytes: builds a second time, from a copy of this checkout's
# files in another folder and at another time, and compares with the first build.
#   reproducible.sh exe  the 32-bit product, with dist/QMSmartTest.exe (its signature, if any, aside)
#   reproducible.sh deb  the Debian package, with build-package/qm-smart-test_*.deb
# Both builds take SOURCE_DATE_EPOCH from the checkout's last commit. Where the bytes differ,
# diffoscope names the difference.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
what=${1:-}
case "$what" in
  exe) first=$root/dist/QMSmartTest.exe ;;
  deb) first=$(ls "$root"/build-package/qm-smart-test_*.deb) ;;
  *) echo "usage: reproducible.sh exe|deb" >&2; exit 2 ;;
esac
[ -f "$first" ] || { echo "reproducible.sh: build $first first" >&2; exit 1; }

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
work=$(mktemp -d /tmp/qm-second-build.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/QM\ Smart\ Test
mkdir -p "$copy"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")
start=$SECONDS
if [ "$what" = exe ]; then
  { cmake -S "$copy" -B "$copy/build-windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/toolchain-mingw32.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF &&
      cmake --build "$copy/build-windows" --target QMSmartTest; } >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; exit 1; }
  second=$copy/dist/QMSmartTest.exe
  # The business signs its release; what is compared is the program as built.
  if osslsigncode remove-signature -in "$first" -out "$work/first.exe" >/dev/null 2>&1; then
    first=$work/first.exe
  fi
else
  (cd "$copy" && scripts/package) >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
  second=$(ls "$copy"/build-package/qm-smart-test_*.deb)
fi
if cmp -s "$first" "$second"; then
  echo "Reproducible: $(basename "$first") built again in another folder is the same, byte for byte ($(stat -c %s "$first") bytes; second build $((SECONDS - start)) s)"
  exit 0
fi
echo "NOT reproducible: $(basename "$first") built again in another folder differs"
if command -v diffoscope >/dev/null; then
  diffoscope "$first" "$second" | head -n 200 || true
else
  cmp -l "$first" "$second" | head -n 20 || true
fi
exit 1
