#!/usr/bin/env bash
# Posts reports with curl to the reference receiver running under PHP's built-in server and
# checks what it stores and answers. Usage: receiver_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$1
work=$(mktemp -d)
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A free loopback port, asked of the system; tried again should another process take it first.
start_server() {
    local attempt
    for attempt in 1 2 3 4 5; do
        port=$(php -r '$s = stream_socket_server("tcp://127.0.0.1:0"); $n = stream_socket_get_name($s, false); echo substr($n, strrpos($n, ":") + 1);')
        QM_RECEIVER_DATA="$work/data" php -d upload_max_filesize=64M -d post_max_size=64M -d display_errors=0 \
            -S "127.0.0.1:$port" -t "$source_dir/server" >"$work/server.log" 2>&1 &
        server_pid=$!
        local i
        for i in $(seq 1 100); do
            if curl -s -o /dev/null "http://127.0.0.1:$port/"; then
                return 0
            fi
            kill -0 "$server_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=""
    done
    echo "PHP's built-in server did not start" >&2
    cat "$work/server.log" >&2
    exit 1
}

start_server
url="http://127.0.0.1:$port/vellumbox/upload.php"

# post NAME_OF_CASE EXPECTED_STATUS curl-arguments...: leaves the body in $work/body and the
# stored name (X-Stored-As) in $stored.
post() {
    local what=$1 want=$2
    shift 2
    local status
    status=$(curl -s -o "$work/body" -D "$work/head" -w '%{http_code}' "$@" "$url")
    stored=$(tr -d '\r' <"$work/head" | sed -n 's/^X-Stored-As: //Ip')
    if [ "$status" != "$want" ]; then
        fail "$what: status $status, expected $want ($(cat "$work/body"))"
        return 1
    fi
}

expect_body() {
    local what=$1 want=$2
    local got
    got=$(tr -d '\r' <"$work/body")
    [ "$got" = "$want" ] || fail "$what: answer \"$got\", expected \"$want\""
}

expect_stored() {
    local what=$1 original=$2 suffix=$3
    if [[ "$stored" != *"-$suffix" ]]; then
        fail "$what: stored as \"$stored\", expected a name ending in -$suffix"
    elif ! cmp -s "$original" "$work/data/$stored"; then
        fail "$what: stored content differs from what was sent"
    fi
}

# A report: customer, contact lines, two disk blocks, CR LF line ends.
printf 'Jane Doe\r\n0123456789\r\njane@example.com\r\nYes, you may contact me.\r\n' >"$work/report one.smart"
for n in 0 1; do
    printf '===| Disk %d |============================================================\r\n' "$n"
    printf 'Model: X, Serial: Y, Size = 1 Gbytes\r\n'
    printf '===| END DISK Report |===================================================\r\n'
done >>"$work/report one.smart"
if post "report" 200 -F "file=@\"$work/report one.smart\";type=application/octet-stream"; then
    expect_body "report" "Report received for Jane Doe: 2 disk blocks."
    expect_stored "report" "$work/report one.smart" "report_one.smart"
fi

# Every byte value, several times over, including lone CR, LF and boundary-like text.
php -r 'for ($i = 0; $i < 4; $i++) { for ($b = 0; $b < 256; $b++) echo chr($b); } echo "\r\n--\r\n\r\n";' >"$work/bytes.bin"
if post "binary" 200 -F "file=@$work/bytes.bin;type=application/octet-stream"; then
    expect_stored "binary" "$work/bytes.bin" "bytes.bin"
fi

: >"$work/empty.smart"
if post "empty file" 200 -F "file=@$work/empty.smart"; then
    expect_body "empty file" "Report received for : 0 disk blocks."
    expect_stored "empty file" "$work/empty.smart" "empty.smart"
fi

head -c 5000000 /dev/urandom >"$work/large.smart"
if post "several megabytes" 200 -F "file=@$work/large.smart"; then
    expect_stored "several megabytes" "$work/large.smart" "large.smart"
fi

# Directory parts and unsafe characters never reach the file system.
cp "$work/report one.smart" "$work/plain.smart"
if post "unsafe name" 200 -F "file=@$work/plain.smart;filename=\"..\\..\\.hidden <x> \$(id).smart\""; then
    expect_stored "unsafe name" "$work/plain.smart" "hidden__x____id_.smart"
fi
if [ -n "$(find "$work/data" -mindepth 1 -type d)" ]; then
    fail "unsafe name: a folder appeared in the data folder"
fi

# Refusals.
post "GET" 405 -G && expect_body "GET" "Only POST is accepted here."
post "no multipart" 415 --data "file=abc" && expect_body "no multipart" "The report must be sent as multipart/form-data."
post "missing field" 400 -F "other=@$work/plain.smart" && expect_body "missing field" 'The form field "file" is missing.'
post "value instead of file" 400 -F "file=just text" && expect_body "value instead of file" 'The form field "file" is missing.'
post "two files" 400 -F "file[]=@$work/plain.smart" -F "file[]=@$work/plain.smart" &&
    expect_body "two files" 'Send exactly one file in the field "file".'
# A body cut short: the closing delimiter never comes.
printf -- '--b\r\nContent-Disposition: form-data; name="file"; filename="cut.smart"\r\n\r\nabc' >"$work/cut.body"
post "incomplete" 400 -H "Content-Type: multipart/form-data; boundary=b" --data-binary "@$work/cut.body" &&
    expect_body "incomplete" "The report arrived incomplete."

stored_count=$(find "$work/data" -type f | wc -l)
[ "$stored_count" -eq 5 ] || fail "expected 5 stored reports, found $stored_count"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s); server log:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
echo "receiver: all cases passed"
