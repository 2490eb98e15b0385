#!/usr/bin/env bash
# Throw-away certificates for the TLS tests, made with openssl into DIR:
#   ca.pem            the test CA (trusted by a test through SSL_CERT_FILE)
#   server.pem/.key   signed by it, for localhost and 127.0.0.1
#   localhost.pem/.key  signed by it, for the name localhost only (connecting
#                     by 127.0.0.1 is then a host name mismatch)
#   other-ca.pem      a CA that signed nothing here (a client trusting only
#                     it must refuse the server)
set -euo pipefail
dir=${1:?usage: make_test_certs.sh DIR}
mkdir -p "$dir"
cd "$dir"
quiet() { "$@" > /dev/null 2>&1 || { echo "make_test_certs.sh: $* failed" >&2; "$@"; exit 1; }; }
for ca in ca other-ca; do
    quiet openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Korvalin test $ca" \
        -keyout "$ca.key" -out "$ca.pem"
done
quiet openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' > server.ext
quiet openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
    -extfile server.ext -out server.pem
quiet openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout localhost.key -out localhost.csr
printf 'subjectAltName=DNS:localhost\n' > localhost.ext
quiet openssl x509 -req -in localhost.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
    -extfile localhost.ext -out localhost.pem
chmod 644 ./*.pem ./*.key
