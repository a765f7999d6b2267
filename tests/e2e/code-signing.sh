# Sourced by the tests that sign the Windows programs: a code-signing certificate from a test
# authority made on the spot with the openssl command.

# signing_certificate DIR PASSWORD: DIR/authority.pem (the test authority, valid for two days),
# DIR/signer.pem with DIR/signer.key (a code-signing certificate it issued), DIR/chain.pem (the
# certificate, then the authority) and DIR/signer.p12 (key and chain, protected by PASSWORD).
signing_certificate() {
  local dir=$1 password=$2
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -sha256 \
    -subj "/CN=QM Smart Test test code-signing authority" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$dir/authority.key" -out "$dir/authority.pem" 2>/dev/null
  openssl req -new -newkey rsa:2048 -nodes -subj "/O=Quillmark test/CN=Quillmark test signer" \
    -keyout "$dir/signer.key" -out "$dir/signer.csr" 2>/dev/null
  printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=codeSigning" >"$dir/signer.ext"
  openssl x509 -req -in "$dir/signer.csr" -CA "$dir/authority.pem" -CAkey "$dir/authority.key" \
    -CAcreateserial -days 1 -sha256 -extfile "$dir/signer.ext" -out "$dir/signer.pem" 2>/dev/null
  cat "$dir/signer.pem" "$dir/authority.pem" >"$dir/chain.pem"
  openssl pkcs12 -export -inkey "$dir/signer.key" -in "$dir/signer.pem" -certfile "$dir/authority.pem" \
    -passout "pass:$password" -out "$dir/signer.p12"
}
