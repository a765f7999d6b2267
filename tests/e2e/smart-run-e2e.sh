#!/usr/bin/env bash
# qm-smart-run as a technician uses it, against the reference receiver on loopback: a run that
# the receiver stores byte for byte with the file deleted afterwards, --no-upload and --keep,
# each refused entry (status 2, the window's warning, nothing read or sent), a server that is
# not there, one that answers 404 and one that never answers (status 1, the window's error text),
# links planted under the report's name (status 1, the create error, nothing written through
# them), the usage errors, a closed standard output and signals during the upload (status 1, the
# report file removed).
#
#   smart-run-e2e.sh WORK_DIR COMMAND...
#
# COMMAND is the program with whatever starts it ("wine64 qm-smart-run.exe" under Wine, whose
# session the caller has set up). Exits 77 (skipped) when PHP or Python is not installed.
set -euo pipefail
work=$1
shift
command=("$@")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in php python3; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done

rm -rf "$work"
mkdir -p "$work/received" "$work/run"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url="http://127.0.0.1:$port/vellumbox/upload.php"
QM_RECEIVER_DATA="$work/received" php -S "127.0.0.1:$port" -t "$source_dir/server" >"$work/receiver.log" 2>&1 &
receiver=$!
trap 'kill "$receiver" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

# run NAME ARGS...: runs the program in the run folder; its output in NAME.out, NAME.err and
# its exit status in $status.
run() {
  local name=$1
  shift
  status=0
  (cd "$work/run" && timeout 300 "${command[@]}" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err") || status=$?
}
contact=(--name "Jo Smith" --phone "0412 555 019" --email jo@example.com)
reports_left() { find "$work/run" -name '*.smart' | wc -l; }
stored_count() { find "$work/received" -type f | wc -l; }

# The run: exit 0, the reply on standard output, the disks on standard error, no file left.
run upload "${contact[@]}" --url "$url"
[ "$status" = 0 ] || fail "the run ended with status $status: $(cat "$work/upload.err")"
disks=$(sed -n 's/^There are \([0-9]*\) disks to be tested\.$/\1/p' "$work/upload.err")
[ -n "$disks" ] || fail "no disk count line: $(cat "$work/upload.err")"
progress=$(grep -c "^Disk [0-9]* of $disks: " "$work/upload.err" || true)
[ "$progress" = "$disks" ] || fail "$progress progress lines for $disks disks"
[ "$(cat "$work/upload.out")" = "Report received for Jo Smith: $disks disk block$([ "$disks" = 1 ] || echo s)." ] ||
  fail "the reply on standard output is: $(cat "$work/upload.out")"
[ "$(stored_count)" = 1 ] || fail "the receiver holds $(stored_count) reports"
[ "$(reports_left)" = 0 ] || fail "the report file was left behind"
stored=$(find "$work/received" -type f)

# --no-upload prints the same report, byte for byte; --keep leaves it in the folder.
run printed "${contact[@]}" --no-upload --keep
[ "$status" = 0 ] || fail "--no-upload ended with status $status"
cmp "$work/printed.out" "$stored" || fail "--no-upload printed another report than the one stored"
kept=$(find "$work/run" -name 'Jo_Smith-*.smart')
[ -n "$kept" ] || fail "--keep left no report file"
cmp "$kept" "$stored" || fail "the kept file differs from the stored report"
grep -qx "Report kept in $(basename "$kept")" "$work/printed.err" || fail "--keep does not say where the file is"
rm -f "$kept"
[ "$(stored_count)" = 1 ] || fail "--no-upload sent the report"

# Refused entries: status 2, the warning alone on standard error, nothing on standard output.
refused() {
  local expected=$1
  shift
  run refused "$@" --url "$url"
  [ "$status" = 2 ] || fail "refused entry ($*) ended with status $status"
  cmp -s "$work/refused.err" <(printf '%s\n' "$expected") || fail "refused entry ($*) says: $(cat "$work/refused.err")"
  [ ! -s "$work/refused.out" ] || fail "refused entry ($*) printed: $(cat "$work/refused.out")"
  [ "$(reports_left)" = 0 ] && [ "$(stored_count)" = 1 ] || fail "refused entry ($*) saved or sent a report"
}
refused $'You must provide a valid name.\r\nIt will be used to personalise your report.' \
  --name Jo --phone 0412555019 --email jo@example.com
refused $'We ask for a Telephone number so we\r\ncan contact you directly if you are in\r\ndanger of losing your data and files.' \
  --name "Jo Smith" --phone "(04) 1255 5019" --email jo@example.com
refused $'You must provide a valid email address\r\nto allow the creation and delivery of a\r\nreport.' \
  --name "Jo Smith" --phone 0412555019 --email jo@example

# A server that is not there, and one that refuses: status 1 and the window's error text.
closed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
run unreachable "${contact[@]}" --url "http://127.0.0.1:$closed_port/vellumbox/upload.php"
[ "$status" = 1 ] || fail "an unreachable server gave status $status"
grep -q '^Error encountered during POST: Socket Error # 10061' "$work/unreachable.err" ||
  fail "an unreachable server says: $(cat "$work/unreachable.err")"
run notfound "${contact[@]}" --url "http://127.0.0.1:$port/vellumbox/missing.php"
[ "$status" = 1 ] || fail "a 404 reply gave status $status"
grep -q '^Error encountered during POST: .*404' "$work/notfound.err" || fail "a 404 reply says: $(cat "$work/notfound.err")"
[ "$(reports_left)" = 0 ] || fail "a failed upload left the report file"

# A server that takes the upload and never answers: with the read limit shortened through
# QM_UPLOAD_READ_TIMEOUT, status 1, "Read Timeout" as after any failed POST, and no file left.
# The server gives up by itself after 20 s.
python3 - "$work/silent.port" <<'SILENT' &
import os, socket, sys
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
server.settimeout(60)
with open(sys.argv[1] + ".new", "w") as f:
    f.write(str(server.getsockname()[1]))
os.rename(sys.argv[1] + ".new", sys.argv[1])
client, _ = server.accept()
client.settimeout(20)
try:
    while client.recv(65536):
        pass
except OSError:
    pass
SILENT
silent=$!
for _ in $(seq 100); do [ -s "$work/silent.port" ] && break; sleep 0.1; done
export QM_UPLOAD_READ_TIMEOUT=500
run silent "${contact[@]}" --url "http://127.0.0.1:$(cat "$work/silent.port")/vellumbox/upload.php"
unset QM_UPLOAD_READ_TIMEOUT
wait "$silent" || true
[ "$status" = 1 ] || fail "a server that never answers gave status $status"
grep -qx 'Error encountered during POST: Read Timeout' "$work/silent.err" ||
  fail "a server that never answers says: $(cat "$work/silent.err")"
[ "$(reports_left)" = 0 ] || fail "the upload to a server that never answers left the report file"
export QM_UPLOAD_READ_TIMEOUT=soon
run badlimit "${contact[@]}" --url "$url"
unset QM_UPLOAD_READ_TIMEOUT
[ "$status" = 2 ] && grep -q 'QM_UPLOAD_READ_TIMEOUT must be' "$work/badlimit.err" ||
  fail "an unreadable read limit gave status $status: $(cat "$work/badlimit.err")"

# Links planted under every name the report can take in the next minute: the run ends with the
# create error and status 1, nothing is created through a link and nothing reaches the receiver.
. "$source_dir/tests/e2e/planted-links.sh"
through=$work/created-through-a-link
plant_report_links "$work/run" "$through"
run planted "${contact[@]}" --url "$url"
[ "$status" = 1 ] || fail "the run over planted links ended with status $status"
grep -q '^Cannot create file ".*Jo_Smith-[0-9]*\.smart"\. ' "$work/planted.err" ||
  fail "the run over planted links says: $(cat "$work/planted.err")"
[ ! -e "$through" ] || fail "the run created a file through a planted link"
[ "$(stored_count)" = 1 ] || fail "the run over planted links reached the receiver"
find "$work/run" -name 'Jo_Smith-*.smart' -type l -delete

# The command line itself.
run usage --name "Jo Smith" --colour blue
[ "$status" = 2 ] && grep -q 'unknown argument "--colour"' "$work/usage.err" || fail "a wrong option gave status $status"
# A forgotten value never takes the next option as it: nothing is read, sent or kept.
for wrong in "--name --no-upload" "--name --keep" "--name=Jo_Smith --name=Bob_Smith"; do
  # shellcheck disable=SC2086 # the words are the options
  run wrong --phone 0412555019 --email jo@example.com $wrong --url "$url"
  [ "$status" = 2 ] || fail "$wrong gave status $status"
  grep -q '^Usage: qm-smart-run ' "$work/wrong.err" || fail "$wrong says: $(cat "$work/wrong.err")"
  [ ! -s "$work/wrong.out" ] && [ "$(reports_left)" = 0 ] && [ "$(stored_count)" = 1 ] ||
    fail "$wrong printed, saved or sent a report"
done
run help --help
[ "$status" = 0 ] && grep -q '^Exit status:' "$work/help.out" || fail "--help gave status $status"

# A standard output closed before the reply or the report is written: the run fails with
# status 1 and deletes the report as after any failure.
closed_output() { python3 -c 'import os, subprocess, sys
r, w = os.pipe()
os.close(r)
sys.exit(subprocess.call(sys.argv[1:], stdout=w, stdin=subprocess.DEVNULL))' "$@"; }
for extra in "--url $url" "--no-upload"; do
  status=0
  # shellcheck disable=SC2086 # the words are the options
  (cd "$work/run" && closed_output "${command[@]}" "${contact[@]}" $extra 2>"$work/closed.err") || status=$?
  [ "$status" = 1 ] || fail "a closed standard output ($extra) gave status $status"
  grep -q '^qm-smart-run: standard output could not be written$' "$work/closed.err" ||
    fail "a closed standard output ($extra) says: $(cat "$work/closed.err")"
  [ "$(reports_left)" = 0 ] || fail "a closed standard output ($extra) left the report file"
done

# Interrupted while the report is being sent (the server holds the reply until released): the
# report file is removed and the status is 1. Wine turns SIGINT into the console's Ctrl+C; it has
# no such event for SIGTERM or SIGHUP.
held=$work/held-upload
held_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 - "$held_port" "$held" 2>"$work/held-server.log" <<'PYTHON' &
import os, socket, sys, time
port, held = int(sys.argv[1]), sys.argv[2]
listener = socket.create_server(("127.0.0.1", port))
listener.settimeout(300)
open(held + ".ready", "w").close()
while True:
    try:
        peer, _ = listener.accept()
    except socket.timeout:
        break
    peer.recv(1)
    open(held + ".received", "w").close()
    for _ in range(3000):
        if os.path.exists(held + ".released"):
            break
        time.sleep(0.1)
    try:
        peer.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok")
    except OSError:
        pass
    peer.close()
    # Ready for the next run once both marks are gone.
    os.remove(held + ".released")
    os.remove(held + ".received")
PYTHON
held_server=$!
for _ in $(seq 100); do [ -e "$held.ready" ] && break; sleep 0.1; done
trap 'kill "$receiver" "$held_server" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
signals=(INT TERM HUP)
case "${command[0]}" in *wine*) signals=(INT) ;; esac
for signal in "${signals[@]}"; do
  (cd "$work/run" && exec env --default-signal=INT "${command[@]}" "${contact[@]}" --keep \
    --url "http://127.0.0.1:$held_port/vellumbox/upload.php" </dev/null >"$work/held.out" 2>"$work/held.err") &
  running=$!
  for _ in $(seq 600); do [ -e "$held.received" ] && break; sleep 0.1; done
  [ -e "$held.received" ] || fail "the run never reached the holding server: $(cat "$work/held.err")"
  [ "$(reports_left)" = 1 ] || fail "no report file while the upload runs"
  kill -s "$signal" "$running"
  touch "$held.released"
  status=0
  wait "$running" || status=$?
  [ "$status" = 1 ] || fail "SIG$signal during the upload gave status $status"
  grep -q '^qm-smart-run: interrupted; no report file is left$' "$work/held.err" ||
    fail "SIG$signal during the upload says: $(cat "$work/held.err")"
  [ "$(reports_left)" = 0 ] || fail "SIG$signal during the upload left the report file (--keep was given)"
  for _ in $(seq 600); do [ -e "$held.received" ] || break; sleep 0.1; done
done

echo "qm-smart-run passed: $disks disk(s) reported and stored byte for byte; refusals, failures and usage as expected"
