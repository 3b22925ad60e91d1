#!/usr/bin/env bash
# Starts and stops the local package servers the download tests use, on loopback ports they pick:
# nginx for plain serving (HEAD, ranges, redirects to the digest path) and fault_server.py for
# faults on demand, and stats_collector.py for the statistics uploads. Tests find the ports in
# DIR/nginx.port, DIR/fault.port and DIR/stats.port; DIR/nginx-slow.port
# is the same nginx limiting each connection to 20 MiB/s, DIR/nginx-tls.port the same over HTTPS
# with a certificate nobody trusts.
#   servers.sh start DIR [PACKAGE] | stop DIR
# PACKAGE (the reference package built for the tests' platform) is served as
# /software/TessaroSetup.exe, redirected to /<md5>/TessaroSetup.exe.
set -euo pipefail
action=$1 dir=$(realpath -m "$2") package=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

stop() {
  for f in "$dir/fault.pid" "$dir/stats.pid" "$dir/nginx/nginx.pid"; do
    [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null || true
    rm -f "$f"
  done
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

make_package() {  # name size: random bytes, made once per folder
  [ -f "$dir/www/$1" ] && [ "$(stat -c %s "$dir/www/$1")" = "$2" ] && return
  head -c "$2" /dev/urandom > "$dir/www/$1"
}

if [ "$action" = stop ]; then stop; exit 0; fi
[ "$action" = start ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
stop
mkdir -p "$dir/www" "$dir/nginx/root"
make_package pkg-2m.bin $((2 * 1048576 + 12345))
make_package pkg-1m.bin 1048576
make_package pkg-1m-1.bin 1048575
make_package pkg-256.bin 256
make_package pkg-255.bin 255
make_package pkg-25m.bin $((25 * 1048576 + 1))
[ -n "$package" ] && { cmp -s "$package" "$dir/www/TessaroSetup.exe" || cp "$package" "$dir/www/TessaroSetup.exe"; }
# More than 2 GiB, sparse: only its tail is ever fetched.
[ -f "$dir/www/pkg-2g.bin" ] || truncate -s $((2 * 1073741824 + 1048576 + 7)) "$dir/www/pkg-2g.bin"

# fault_server.py
rm -f "$dir/fault.port"
setsid python3 "$here/fault_server.py" "$dir/www" "$dir/fault.port" </dev/null >"$dir/fault.log" 2>&1 &
echo $! > "$dir/fault.pid"

# the statistics collector
rm -f "$dir/stats.port"
setsid python3 "$here/stats_collector.py" "$dir/stats.port" </dev/null >"$dir/stats.log" 2>&1 &
echo $! > "$dir/stats.pid"

# nginx: files under /<md5>/<name>, /software/<name> redirects there.
locations=""
for f in "$dir"/www/pkg-2m.bin "$dir"/www/pkg-1m.bin "$dir"/www/pkg-25m.bin "$dir"/www/pkg-256.bin \
         $( [ -n "$package" ] && echo "$dir/www/TessaroSetup.exe"); do
  name=$(basename "$f")
  md5=$(md5sum "$f" | cut -d' ' -f1)
  mkdir -p "$dir/nginx/root/$md5"
  ln -sfn "$f" "$dir/nginx/root/$md5/$name"
  locations="$locations    location = /software/$name { return 302 /$md5/$name; }
"
done
port=$(free_port)
slow_port=$(free_port)
tls_port=$(free_port)
# A certificate nobody trusts: downloads over HTTPS must refuse this server.
[ -f "$dir/nginx/self-signed.key" ] || openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj /CN=127.0.0.1 \
  -keyout "$dir/nginx/self-signed.key" -out "$dir/nginx/self-signed.crt" >/dev/null 2>&1
cat > "$dir/nginx/nginx.conf" <<CONF
user root;
worker_processes 2;
pid $dir/nginx/nginx.pid;
error_log $dir/nginx/error.log;
events { worker_connections 256; }
http {
    access_log off;
    sendfile on;
    client_body_temp_path $dir/nginx/tmp;
    proxy_temp_path $dir/nginx/tmp;
    fastcgi_temp_path $dir/nginx/tmp;
    uwsgi_temp_path $dir/nginx/tmp;
    scgi_temp_path $dir/nginx/tmp;
    types { application/octet-stream bin; }
    server {
        listen 127.0.0.1:$port;
        root $dir/nginx/root;
        disable_symlinks off;
$locations    }
    server {
        listen 127.0.0.1:$slow_port;
        root $dir/nginx/root;
        disable_symlinks off;
        limit_rate 20m;
$locations    }
    server {
        listen 127.0.0.1:$tls_port ssl;
        ssl_certificate $dir/nginx/self-signed.crt;
        ssl_certificate_key $dir/nginx/self-signed.key;
        root $dir/nginx/root;
        disable_symlinks off;
$locations    }
}
CONF
mkdir -p "$dir/nginx/tmp"
nginx -c "$dir/nginx/nginx.conf" -p "$dir/nginx" -e "$dir/nginx/error.log"
echo "$port" > "$dir/nginx.port"
echo "$tls_port" > "$dir/nginx-tls.port"
echo "$slow_port" > "$dir/nginx-slow.port"

for _ in $(seq 100); do [ -s "$dir/fault.port" ] && break; sleep 0.05; done
[ -s "$dir/fault.port" ] || { echo "fault_server did not start:"; cat "$dir/fault.log"; exit 1; }
for _ in $(seq 100); do [ -s "$dir/stats.port" ] && break; sleep 0.05; done
[ -s "$dir/stats.port" ] || { echo "stats_collector did not start:"; cat "$dir/stats.log"; exit 1; }
curl -sf -o /dev/null "http://127.0.0.1:$port/software/pkg-256.bin" -L || { echo "nginx did not start"; cat "$dir/nginx/error.log"; exit 1; }
echo "nginx on $port, fault server on $(cat "$dir/fault.port")"
