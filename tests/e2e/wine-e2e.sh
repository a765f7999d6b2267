#!/usr/bin/env bash
# End to end under Wine and Xvfb: the Windows program, built with its upload URL pointing at the
# reference receiver on loopback, is driven through its window as a customer would. The
# receiver must get the four contact lines and one disk block per drive that Wine's WMI counts,
# the reply box must show the receiver's answer, no .smart file may be left behind, a second run
# over links planted under the report's name must end with the create error, and a ws2_32.dll
# planted beside the program and in its folder must never be loaded. On the way, the task bar
# must show the one button "QM Smart Test" from the greeting on, and a field must be judged only
# when the focus moves on to another control of the window. The program runs signed. Last, the
# same windows over stored drives take the README's pictures (in e2e/pictures/).
# usage: wine-e2e.sh [32|64]: the 32-bit product under 32-bit Wine (the default), or the 64-bit
# build under 64-bit Wine. Artefacts (screenshots, the stored report) are left in
# build-windows/e2e/ or build-windows64/e2e/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
width=${1:-32}
case "$width" in
  32) main_build=$root/build-windows toolchain=toolchain-mingw32.cmake ;;
  64) main_build=$root/build-windows64 toolchain=toolchain-mingw64.cmake ;;
  *) echo "usage: wine-e2e.sh [32|64]" >&2; exit 2 ;;
esac
work=$main_build/e2e
mkdir -p "$work"
rm -rf "$work/run" "$work/receiver" "$work"/*.png
mkdir -p "$work/run" "$work/receiver"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url="http://127.0.0.1:$port/vellumbox/upload.php"

# The program with this run's URL, in its own build tree; libjpeg is shared with the main
# Windows build when that has built it already.
jpeg=()
[ -f "$main_build/libjpeg-turbo/install/lib/libjpeg.a" ] && jpeg=(-DQM_JPEG_WORK="$main_build/libjpeg-turbo")
cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF -DQM_UPLOAD_URL="$url" -DQM_DIST_DIR="$work/bin" \
      "${jpeg[@]}" >/dev/null
cmake --build "$work/build" --target QMSmartTest wine-windowtext planted-ws2_32 stored-drives-window >/dev/null
program=$work/bin/QMSmartTest.exe
windowtext=$work/build/app/win32/wine-windowtext.exe

# The program runs signed, as the business hands it out: Authenticode with a code-signing
# certificate from a test authority made for this run.
. "$root/tests/e2e/code-signing.sh"
signing_certificate "$work/signing" "e2e password"
QM_SIGN_PKCS12="$work/signing/signer.p12" QM_SIGN_PASSWORD="e2e password" "$root/scripts/sign-windows" "$program"
osslsigncode verify -CAfile "$work/signing/authority.pem" -in "$program" >/dev/null

# A ws2_32.dll that records being loaded, planted beside the program and in its current folder.
for folder in "$work/bin" "$work/run"; do
  cp "$work/build/app/win32/planted/ws2_32.dll" "$folder/"
  rm -f "$folder/planted-library-loaded"
done

. "$root/scripts/wine-session.sh"
wine_session_start "$work/wineprefix" "$width"
QM_RECEIVER_DATA=$work/receiver php -d upload_max_filesize=64M -d post_max_size=64M \
  -S "127.0.0.1:$port" -t "$root/server" >"$work/receiver.log" 2>&1 &
receiver=$!
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  kill "$receiver" 2>/dev/null || true
  wine_session_stop
}
trap cleanup EXIT
# Wine draws the window frames itself (there is no window manager), so the screenshot shows them.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

fail() {
  echo "FAILED: $*" >&2
  import -window root "$work/failure.png" 2>/dev/null || true
  exit 1
}

# wait_window CAPTION: the X window id of the visible window with exactly that caption.
wait_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window \"$1\" came up"
}

# wait_gone ID: until that X window is no longer on screen (the next box may share its caption).
wait_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "window $1 did not go away"
}

# close_box CAPTION: prints the box's text, then presses its OK button from the keyboard.
close_box() {
  local id
  id=$(wait_window "$1")
  timeout 60 "$WINE" "$windowtext" "$1" | tr -d '\r'
  xdotool windowfocus --sync "$id" key Return
  wait_gone "$id"
}

# click_control CAPTION TEXT: a left click in the middle of that window's control with that text,
# wherever the window's font has placed it.
click_control() {
  local point
  point=$(timeout 60 "$WINE" "$windowtext" --centre "$1" "$2" | tr -d '\r')
  [ -n "$point" ] || fail "no control \"$2\" in the window \"$1\""
  xdotool mousemove $point click 1
}

# quit_program WHAT: clicks Quit in the main window and waits up to 30 s for the program to end.
quit_program() {
  click_control 'Quillmark SMART Test.' Quit
  for _ in $(seq 300); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "$1 did not end on Quit"
  wait "$program_pid" || true
  program_pid=
}

expected=$(timeout 120 "$WINE" wmic diskdrive get DeviceID 2>/dev/null | iconv -f UTF-16LE -t UTF-8 | grep -c PHYSICALDRIVE || true)
[ "$expected" -ge 1 ] || fail "Wine's wmic lists no disk drive"

cd "$work/run"

# Without its socket library the program stops at once with its error box, before any window.
WINEDLLOVERRIDES=ws2_32=d "$WINE" "$program" >"$work/program.log" 2>&1 &
program_pid=$!
stop=$(close_box 'QM Smart Test')
[ "$stop" = 'Error loading Socket interface (ws2_32.dll)!' ] || fail "start without ws2_32.dll shows: $stop"
wait "$program_pid" && fail "the program without ws2_32.dll ended with success"
program_pid=

# Wine prefers its own built-in ws2_32 to any file of that name; native first, the search order
# alone decides which file is loaded, and the planted one must not be it.
WINEDLLOVERRIDES=ws2_32=n,b "$WINE" "$program" >>"$work/program.log" 2>&1 &
program_pid=$!

# task_bar: the titles of the program's task-bar buttons, one a line.
task_bar() {
  timeout 60 "$WINE" "$windowtext" --task-bar | tr -d '\r'
}

# phone_field: the telephone field's text as the window shows it.
phone_field() {
  timeout 60 "$WINE" "$windowtext" 'Quillmark SMART Test.' Edit | tr -d '\r' | sed -n 2p
}

# The greeting comes before the main window is on screen; the program has its task-bar button
# all the same, under the application's title.
wait_window Information >/dev/null
import -window root "$work/greeting.png"
buttons=$(task_bar)
[ "$buttons" = 'QM Smart Test' ] || fail "while the greeting is up the task bar shows: ${buttons:-nothing}"
greeting=$(close_box Information)
grep -q '^Hello,' <<<"$greeting" || fail "the first box is not the greeting: $greeting"

main=$(wait_window 'Quillmark SMART Test\.')
buttons=$(task_bar)
[ "$buttons" = 'QM Smart Test' ] || fail "with the main window up the task bar shows: ${buttons:-nothing}"
xdotool windowfocus --sync "$main"
# The focus starts on "Execute SMART Test"; Tab leads through the name, telephone and e-mail
# fields, and leaving each one judges it. The telephone check shows: it takes out the blanks.
xdotool key Tab
xdotool type --delay 20 'Jo Smith'
xdotool key Tab
xdotool type --delay 20 '0412 555 019'
sleep 1

# The window losing the focus as a whole leaves the field unjudged: another program's window
# taking the focus...
xmessage -geometry +0+0 'another program' &
other_program=$!
other=$(timeout 30 xdotool search --sync --onlyvisible --classname '^xmessage$' 2>/dev/null | head -n1)
[ -n "$other" ] || fail "the other program's window did not come up"
xdotool windowfocus --sync "$other"
sleep 1
phone=$(phone_field)
[ "$phone" = '0412 555 019' ] || fail "another window taking the focus judged the telephone field: $phone"
kill "$other_program"
wait "$other_program" 2>/dev/null || true
# ... or the preview opening over it (Shift+Alt+F1). A click on the business's name makes the
# window the active one again (without a window manager, the X focus alone does not).
click_control 'Quillmark SMART Test.' Quillmark
sleep 1
xdotool key shift+alt+F1
preview=$(wait_window 'Content to Send')
xdotool windowfocus --sync "$preview" key alt+F4
wait_gone "$preview"
phone=$(phone_field)
[ "$phone" = '0412 555 019' ] || fail "opening the preview judged the telephone field: $phone"
# Back in the window, the focus is on the field again, and moving on to the next judges it.
xdotool key Tab
sleep 1
phone=$(phone_field)
[ "$phone" = '0412555019' ] || fail "moving on from the telephone field did not judge it: $phone"
xdotool type --delay 20 'jo@example.com'
xdotool key Tab
sleep 1
import -window "$main" "$work/main-window.png"

click_control 'Quillmark SMART Test.' 'Execute SMART Test'

reply=
for _ in 1 2 3; do
  text=$(close_box 'QM Smart Test')
  if grep -q 'does not support SMART' <<<"$text"; then
    continue
  fi
  reply=$text
  break
done
echo "Reply box: $reply"
[ "$reply" = "Report received for Jo Smith: $expected disk block$([ "$expected" = 1 ] || echo s)." ] ||
  fail "the reply box does not show the receiver's answer for $expected disks"

stored=("$work/receiver"/*)
[ ${#stored[@]} -eq 1 ] && [ -f "${stored[0]}" ] || fail "the receiver stored ${#stored[@]} reports"
cp "${stored[0]}" "$work/received-report.smart.txt"
contact=$(head -n4 "${stored[0]}" | tr -d '\r')
[ "$contact" = $'Jo Smith\n0412555019\njo@example.com\nYes, you may contact me.' ] ||
  fail "the report's contact lines are: $contact"
blocks=$(grep -c '^===| Disk [0-9]* |' "${stored[0]}" || true)
[ "$blocks" = "$expected" ] || fail "the report has $blocks disk blocks, Wine counts $expected disks"
grep -q $'\r$' "${stored[0]}" || fail "the report's lines do not end in CR LF"
leftover=$(find "$work/run" -name '*.smart')
[ -z "$leftover" ] || fail "report file left behind: $leftover"

# The preview of what was sent: Shift+Alt+F1 in the main window.
xdotool windowfocus --sync "$main" key shift+alt+F1
preview=$(wait_window 'Content to Send')
sleep 1
import -window "$preview" "$work/preview-window.png"
xdotool windowfocus --sync "$preview" key alt+F4
wait_gone "$preview"

# A second run with a link planted on the Unix side under every name the report can take in the
# next minute, each pointing at a file that does not exist yet: Wine shows such a link as no file
# at all, and a create through it would make that file. The run ends with the create error, its
# only box; nothing more reaches the receiver and nothing is created through the links.
. "$root/tests/e2e/planted-links.sh"
through=$work/created-through-a-link
rm -f "$through"
plant_report_links "$work/run" "$through"
click_control 'Quillmark SMART Test.' 'Execute SMART Test'
refusal=$(close_box 'QM Smart Test')
echo "Run over planted links: $refusal"
[[ $refusal == 'Cannot create file "'*'\Jo_Smith-'*'.smart". File exists.' ]] ||
  fail "the run over planted links does not end with the create error"
sleep 2
xdotool search --onlyvisible --name '^QM Smart Test$' >/dev/null 2>&1 && fail "the run over planted links went on"
[ ! -e "$through" ] || fail "the run created a file through a planted link"
stored=("$work/receiver"/*)
[ ${#stored[@]} -eq 1 ] || fail "the run over planted links reached the receiver"
rm -f "$work"/run/*.smart

quit_program "the program"
for folder in "$work/bin" "$work/run"; do
  [ ! -e "$folder/planted-library-loaded" ] || fail "the program loaded the ws2_32.dll planted in $folder"
done
# The README's pictures: the same windows over two stored drives (skdump blobs of real disks from
# tests/data), so the report they show has real attribute tables, temperatures and verdicts where
# Wine's own disks cannot be opened. The greeting, the window filled in, the preview of what was
# sent, and the error box of an upload refused because the receiver is gone.
pictures=$work/pictures
rm -rf "$pictures"
mkdir -p "$pictures"
blobs=()
for blob in SAMSUNG_HD501LJ--CR100-12 ST9160821AS--3.CLH; do
  path=$root/tests/data/smart-blobs/$blob
  blobs+=("Z:${path//\//\\}")
done
"$WINE" "$work/build/app/win32/stored-drives-window.exe" "${blobs[@]}" >>"$work/program.log" 2>&1 &
program_pid=$!
box=$(wait_window Information)
sleep 1
import -window "$box" "$pictures/greeting-box.png"
close_box Information >/dev/null
main=$(wait_window 'Quillmark SMART Test\.')
xdotool windowfocus --sync "$main"
xdotool key Tab
xdotool type --delay 20 'Jo Smith'
xdotool key Tab
xdotool type --delay 20 '0412 555 019'
xdotool key Tab
xdotool type --delay 20 'jo@example.com'
xdotool key Tab
sleep 1
import -window "$main" "$pictures/main-window.png"
click_control 'Quillmark SMART Test.' 'Execute SMART Test'
reply=$(close_box 'QM Smart Test')
[ "$reply" = 'Report received for Jo Smith: 2 disk blocks.' ] || fail "the stored drives' run shows: $reply"
xdotool windowfocus --sync "$main" key shift+alt+F1
preview=$(wait_window 'Content to Send')
sleep 1
import -window "$preview" "$pictures/preview-window.png"
xdotool windowfocus --sync "$preview" key alt+F4
wait_gone "$preview"
kill "$receiver"
wait "$receiver" 2>/dev/null || true
click_control 'Quillmark SMART Test.' 'Execute SMART Test'
box=$(wait_window 'QM Smart Test')
sleep 1
import -window "$box" "$pictures/error-box.png"
refusal=$(close_box 'QM Smart Test')
echo "Upload to no receiver: $refusal"
grep -q 'refused' <<<"$refusal" || fail "the upload to no receiver does not end with the refusal: $refusal"
# The reply box follows, empty: no reply came.
close_box 'QM Smart Test' >/dev/null
quit_program "the stored drives' window"

echo "End to end under $width-bit Wine: report of $blocks disk blocks received, pictures in $pictures"
