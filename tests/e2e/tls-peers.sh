# Sourced by the scripts that run uploads over TLS on loopback: test certificate authorities
# and server certificates made on the spot with the openssl command, and the servers that use
# them (stunnel in front of PHP's built-in server with the reference receiver).

# tls_authority DIR NAME: a certificate authority of its own, DIR/NAME.pem with DIR/NAME.key,
# valid for two days.
tls_authority() {
  local dir=$1 name=$2
  mkdir -p "$dir/$name.issued"
  : >"$dir/$name.issued/index.txt"
  echo 1000 >"$dir/$name.issued/serial"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -sha256 \
    -subj "/CN=QM Smart Test test authority $name" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$dir/$name.key" -out "$dir/$name.pem" 2>/dev/null
}

# tls_certificate DIR AUTHORITY NAME ALT_NAMES [START END]: a server certificate DIR/NAME.pem
# with DIR/NAME.key issued by DIR/AUTHORITY for ALT_NAMES ("DNS:localhost,IP:127.0.0.1");
# valid from an hour ago for a day, or from START to END (YYYYMMDDHHMMSSZ).
tls_certificate() {
  local dir=$1 authority=$2 name=$3 alt_names=$4 validity
  if [ $# -ge 6 ]; then
    validity=(-startdate "$5" -enddate "$6")
  else
    validity=(-startdate "$(date -u -d '1 hour ago' +%Y%m%d%H%M%SZ)" -days 1)
  fi
  local issued=$dir/$authority.issued
  cat >"$issued/config" <<CONFIG
[ca]
default_ca = authority
[authority]
database = $issued/index.txt
serial = $issued/serial
new_certs_dir = $issued
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $alt_names
CONFIG
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=$name" \
    -keyout "$dir/$name.key" -out "$dir/$name.csr" 2>/dev/null
  openssl ca -batch -notext -config "$issued/config" -extensions server -cert "$dir/$authority.pem" \
    -keyfile "$dir/$authority.key" "${validity[@]}" -in "$dir/$name.csr" -out "$dir/$name.pem" 2>/dev/null
}

# tls_free_port: a loopback port nobody listens on now.
tls_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# tls_wait_port PORT: waits up to 10 s until something listens on 127.0.0.1:PORT.
tls_wait_port() {
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "nothing listens on port $1" >&2
  return 1
}

# tls_stunnel DIR NAME ACCEPT_PORT CONNECT_PORT CERTIFICATE: stunnel taking TLS on ACCEPT_PORT
# with DIR/CERTIFICATE.pem and passing the plain bytes on to CONNECT_PORT, in the background;
# its process id in TLS_PID, its log in DIR/NAME.log.
tls_stunnel() {
  local dir=$1 name=$2
  cat >"$dir/$name.conf" <<CONFIG
foreground = yes
pid =
output = $dir/$name.log
debug = notice
[$name]
accept = 127.0.0.1:$3
connect = 127.0.0.1:$4
cert = $dir/$5.pem
key = $dir/$5.key
sslVersionMin = TLSv1.2
CONFIG
  stunnel "$dir/$name.conf" >/dev/null 2>&1 &
  TLS_PID=$!
  tls_wait_port "$3"
}
