#!/usr/bin/env bash
# Transfer benchmark (a benchmark, not a test): one large body fetched from
# nginx (sendfile on) and from an FTP server on 127.0.0.1 by each client in
# turn, several rounds interleaved in an order shuffled every round (the
# uploads in rounds of their own, each client's writes flushed before the
# next starts), every body checked byte for byte; prints medians, ratios to
# the best plain blocking Winsock loops, and peak working sets.
#   ROUNDS   rounds of every client (default 9)
#   SIZE_MB  size of the body (default 100)
#   CLIENTS  only these probe modes, comma-separated (default: every client),
#            e.g. CLIENTS=loop-file,updatelib
#   SEED     the seed of the orders a run printed, to repeat them
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$REPO"
"$REPO/scripts/install-deps.sh"
# The servers: only this benchmark needs them.
export DEBIAN_FRONTEND=noninteractive
for p in nginx-light python3-pyftpdlib; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    apt-get install -y -q --no-install-recommends "$p" >/dev/null
done

choose_wine_road
bits=$(runnable_bits)
use_wine_bits "$bits"
echo "benchmarking the $bits-bit build under $bits-bit Wine"
BUILD=$(build_dir_for "$bits")
cmake --preset "$(preset_for "$bits")" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target transfer_probe sockloom6 >/dev/null

WORK=$(mktemp -d /tmp/pellanor-transfer.XXXXXX)
WINEPREFIX=$WORK/prefix
export WINEPREFIX
NGINX_PID=
FTP_PID=
cleanup() {
  [ -n "$NGINX_PID" ] && kill "$NGINX_PID" 2>/dev/null || true
  [ -n "$FTP_PID" ] && kill "$FTP_PID" 2>/dev/null || true
  stop_wine
  stop_display
  rm -rf "$WORK"
}
trap cleanup EXIT

# nginx's worker drops root and must read the served folder.
chmod 755 "$WORK"
mkdir -p "$WORK/www" "$WORK/ftp" "$WORK/out" "$WORK/nginx"
chmod 777 "$WORK/ftp" "$WORK/out"
head -c "$((${SIZE_MB:-100} * 1024 * 1024))" /dev/urandom > "$WORK/www/body.bin"
ln "$WORK/www/body.bin" "$WORK/ftp/body.bin"
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
HTTP_PORT=$(free_port)
FTP_PORT=$(free_port)
cat > "$WORK/nginx/nginx.conf" <<CONF
worker_processes 1;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $WORK/nginx;
  proxy_temp_path $WORK/nginx;
  fastcgi_temp_path $WORK/nginx;
  uwsgi_temp_path $WORK/nginx;
  scgi_temp_path $WORK/nginx;
  server { listen 127.0.0.1:$HTTP_PORT; root $WORK/www; }
}
CONF
nginx -c "$WORK/nginx/nginx.conf" -g 'daemon off;' &
NGINX_PID=$!
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$FTP_PORT" -d "$WORK/ftp" -w >/dev/null 2>&1 &
FTP_PID=$!

ensure_display force
start_wine
wine regsvr32 /s "$(wine winepath -w "$BUILD/sockloom6/sockloom6.dll" 2>/dev/null)" >/dev/null 2>&1
python3 "$REPO/bench/transfer_table.py" --wine "$REPO/scripts/wine-run $bits" \
  --probe "$BUILD/bench/transfer_probe.exe" --work "$WORK" \
  --http-port "$HTTP_PORT" --ftp-port "$FTP_PORT" --rounds "${ROUNDS:-9}" --only "${CLIENTS:-}" \
  ${SEED:+--seed "$SEED"}
