#!/bin/sh
# Test PKI for the loopback servers: a CA, a server certificate it issued for
# the loopback names, and a self-signed one nobody trusts.
set -e
out="$1"
mkdir -p "$out"
cd "$out"
names="DNS:localhost,DNS:yahoo.localhost,DNS:swiss.localhost,DNS:onvista.localhost,DNS:www.localhost,IP:127.0.0.1"
curve="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"

openssl req -x509 $curve -keyout ca.key -out ca.pem -days 3650 -subj "/CN=Zelvon Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req $curve -keyout server.key -out server.csr -subj "/CN=localhost" 2>/dev/null
printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$names" > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 3650 \
    -extfile server.ext 2>/dev/null

openssl req -x509 $curve -keyout rogue.key -out rogue.pem -days 3650 -subj "/CN=localhost" \
    -addext "subjectAltName=$names" 2>/dev/null
rm -f server.csr server.ext ca.srl
