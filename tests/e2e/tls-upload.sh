#!/usr/bin/env bash
# The upload over TLS against real servers on loopback, with a test authority made here:
# stunnel in front of PHP's built-in server with the reference receiver stores the report byte
# for byte, and the request inside the TLS stream is the plain upload's (without its
# "Connection: keep-alive", which TLS connections leave out). Then the servers no upload may
# trust or talk to in clear: an authority not trusted, an expired certificate, one for another
# host, plain HTTP on the TLS port and a server that closes in the middle of a record. Each ends
# with exit status 1 and its reason, and not a byte of the request reaches the server. Last the
# servers that take the request and then fail it: one that closes between records before its
# reply is whole, and one that never answers.
#
#   tls-upload.sh WORK_DIR TRUST COMMAND...
#
# COMMAND is qm-upload with whatever starts it. TRUST says how the test authority is trusted:
# "openssl" (SSL_CERT_FILE names it) or the path of wine-trust-authority.exe (put into the
# root store of the Wine prefix for the run and taken out again at its end; the caller has set
# up the Wine session and WINE). Exits 77 (skipped) without PHP, Python or stunnel.
set -euo pipefail
work=$1
trust=$2
shift 2
command=("$@")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
. "$here/tls-peers.sh"

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in php python3 stunnel openssl; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done

rm -rf "$work"
mkdir -p "$work/received" "$work/run"
work=$(cd "$work" && pwd)
children=()
finish() {
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$trust" != openssl ]; then "$WINE" "$trust" remove "$work/trusted.pem" >/dev/null 2>&1 || true; fi
}
trap finish EXIT

tls_authority "$work" trusted
tls_authority "$work" stranger
tls_certificate "$work" trusted good "DNS:localhost,IP:127.0.0.1"
tls_certificate "$work" trusted expired "DNS:localhost" 20200101000000Z 20200201000000Z
tls_certificate "$work" trusted elsewhere "DNS:upload.quillmark.example"
tls_certificate "$work" stranger untrusted "DNS:localhost"
if [ "$trust" = openssl ]; then
  export SSL_CERT_FILE=$work/trusted.pem
else
  "$WINE" "$trust" add "$work/trusted.pem" || fail "the test authority could not be put into Wine's root store"
fi

php_port=$(tls_free_port)
QM_RECEIVER_DATA="$work/received" php -d upload_max_filesize=64M -d post_max_size=64M -S "127.0.0.1:$php_port" \
  -t "$source_dir/server" >"$work/receiver.log" 2>&1 &
children+=($!)
tls_wait_port "$php_port"

# peer NAME ARGS...: a tls-peers.py peer on a port of its own, in ${port[NAME]}.
declare -A port
peer() {
  local name=$1 mode=$2
  shift 2
  port[$name]=$(tls_free_port)
  python3 "$here/tls-peers.py" "$mode" "${port[$name]}" "$@" &
  children+=($!)
  tls_wait_port "${port[$name]}"
}
# served NAME CERTIFICATE: stunnel with CERTIFICATE in front of a relay to the receiver that
# keeps what it passes on in NAME.passed.
served() {
  peer "$1-relay" relay "$php_port" "$work/$1.passed"
  : >"$work/$1.passed"
  port[$1]=$(tls_free_port)
  tls_stunnel "$work" "$1" "${port[$1]}" "${port[$1-relay]}" "$2"
  children+=("$TLS_PID")
}
served good good
served expired expired
served elsewhere elsewhere
served untrusted untrusted
peer plain plain "$work/plain.passed"
peer cut cut "$work/good.pem" "$work/good.key" "$work/cut.passed"
peer short short "$work/good.pem" "$work/good.key" "$work/short.passed"
peer silent silent "$work/good.pem" "$work/good.key" "$work/silent.passed"

# upload NAME URL: posts the report; output in NAME.out and NAME.err, exit status in $status.
upload() {
  status=0
  (cd "$work/run" && timeout 120 "${command[@]}" "$2" "report.smart" </dev/null >"$work/$1.out" 2>"$work/$1.err") ||
    status=$?
}
{
  printf 'Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n'
  printf '===| Disk 0 |===\r\nModel: QM \xe9\xe8 TLS, Serial: S1\r\n'
  head -c 200000 /dev/urandom | base64 -w 76 | sed 's/$/\r/'
} >"$work/run/report.smart"

# The upload over TLS, stored byte for byte; the same request as the plain upload's.
upload tls "https://localhost:${port[good]}/vellumbox/upload.php"
[ "$status" = 0 ] || fail "the upload over TLS ended with status $status: $(cat "$work/tls.err")"
[ "$(cat "$work/tls.out")" = "Report received for Jo Smith: 1 disk block." ] || fail "the reply was: $(cat "$work/tls.out")"
stored=$(find "$work/received" -type f)
[ "$(echo "$stored" | wc -l)" = 1 ] && cmp "$stored" "$work/run/report.smart" || fail "the report was not stored byte for byte"
mv "$work/good.passed" "$work/tls.request"
upload plain "http://localhost:${port[good-relay]}/vellumbox/upload.php"
[ "$status" = 0 ] || fail "the plain upload ended with status $status: $(cat "$work/plain.err")"
mv "$work/good.passed" "$work/plain.request"
# Two uploads differ in their boundary (made from the time) and the port in Host.
same_form() {
  local boundary
  boundary=$(sed -n 's/^Content-Type: multipart\/form-data; boundary=\(.*\)\r$/\1/p' "$1" | head -n 1)
  [ -n "$boundary" ] || fail "no boundary in $1"
  sed -e "s/$boundary/BOUNDARY/g" -e 's/^\(Host: localhost\):[0-9]*\r$/\1:PORT\r/' "$1"
}
cmp <(same_form "$work/tls.request") <(same_form "$work/plain.request" | grep -av '^Connection: keep-alive') ||
  fail "the request over TLS differs from the plain one"
grep -aq '^Connection: keep-alive' "$work/plain.request" && ! grep -aq '^Connection:' "$work/tls.request" ||
  fail "the Connection header is not as the connection kinds have it"

# refused NAME URL REASON: exit status 1, the reason in the POST error, nothing on standard
# output, and (but for the server that cuts its reply) nothing of the request at the server.
refused() {
  upload "$1" "$2"
  [ "$status" = 1 ] || fail "$1: the upload ended with status $status"
  [ "$(cat "$work/$1.err")" = "Error encountered during POST: $3" ] || fail "$1: the error reads: $(cat "$work/$1.err")"
  [ ! -s "$work/$1.out" ] || fail "$1: the upload printed: $(cat "$work/$1.out")"
  [ "$1" = cut ] || ! grep -aq 'POST\|Jo Smith' "$work/$1.passed" || fail "$1: the request reached the server"
}
refused untrusted "https://localhost:${port[untrusted]}/vellumbox/upload.php" \
  "Certificate of localhost refused: untrusted (no authority this computer trusts has issued it)"
refused expired "https://localhost:${port[expired]}/vellumbox/upload.php" "Certificate of localhost refused: expired"
refused elsewhere "https://localhost:${port[elsewhere]}/vellumbox/upload.php" \
  "Certificate of localhost refused: wrong host (it is not issued for localhost)"
refused plain "https://localhost:${port[plain]}/vellumbox/upload.php" \
  "TLS handshake with localhost refused: the server does not answer in TLS"
[ "$(head -c 1 "$work/plain.passed" | od -An -tx1 | tr -d ' ')" = 16 ] || fail "the plain server got no TLS handshake"
refused cut "https://localhost:${port[cut]}/vellumbox/upload.php" \
  "TLS connection to localhost closed in the middle of a record"
# A reply whose connection closes between records, without the session's close, before the
# body its Content-Length announces; and a server that takes the upload and never answers, with
# the read limit shortened. Each is a failed POST: status 1, what happened, what arrived.
upload short "https://localhost:${port[short]}/vellumbox/upload.php"
[ "$status" = 1 ] || fail "short: the upload ended with status $status"
[ "$(cat "$work/short.err")" = \
  "Error encountered during POST: Connection closed before the whole reply arrived: 10 of 1000 bytes." ] ||
  fail "short: the error reads: $(cat "$work/short.err")"
[ "$(cat "$work/short.out")" = 0123456789 ] || fail "short: the upload printed: $(cat "$work/short.out")"
export QM_UPLOAD_READ_TIMEOUT=500
upload silent "https://localhost:${port[silent]}/vellumbox/upload.php"
unset QM_UPLOAD_READ_TIMEOUT
[ "$status" = 1 ] || fail "silent: the upload ended with status $status"
[ "$(cat "$work/silent.err")" = "Error encountered during POST: Read Timeout" ] ||
  fail "silent: the error reads: $(cat "$work/silent.err")"
grep -aq 'Jo Smith' "$work/silent.passed" || fail "silent: the request did not reach the server"
# The two uploads that went through, and no other.
[ "$(find "$work/received" -type f | wc -l)" = 2 ] || fail "a refused upload reached the receiver"

echo "Upload over TLS passed: stored byte for byte, the plain request inside; untrusted, expired, wrong host, plain HTTP and a cut record refused; a reply cut between records and a silent server end as failed POSTs"
