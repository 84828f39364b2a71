#!/bin/sh
# vsftpd_server.sh start|stop <python3> <folder>
# Starts vsftpd for the tests in the background and waits until it
# listens; or stops it. It takes anonymous log-ons only, listens on
# 127.0.0.1 on a free port (written to <folder>/port), answers PASV with
# 127.0.0.1, and sends no faster than 200 KB/s, so that a client can stop
# a download while it runs. It serves <folder>/root: big.bin (8 MiB) and
# small.txt; its log (commands and replies too) is <folder>/vsftpd.log.
action=$1 python=$2 folder=$3
if [ -f "$folder/pid" ]; then
  kill "$(cat "$folder/pid")" 2>/dev/null
  rm -f "$folder/pid"
fi
[ "$action" = stop ] && exit 0

vsftpd=$(command -v vsftpd || echo /usr/sbin/vsftpd)
if [ ! -x "$vsftpd" ]; then
  echo "vsftpd is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
rm -rf "$folder"
mkdir -p "$folder/root" "$folder/empty"
# Started as root, vsftpd serves as its own unprivileged users: they must
# reach and read what it serves, and may not write to its root.
chmod 755 "$folder" "$folder/root" "$folder/empty"
head -c 8388608 /dev/urandom >"$folder/root/big.bin"
printf 'a small file from vsftpd\r\n' >"$folder/root/small.txt"
chmod 644 "$folder/root/big.bin" "$folder/root/small.txt"

free_port() {
  "$python" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
listening() {
  "$python" -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' "$1" \
    2>/dev/null
}

# A port found free may be taken before the server binds it: try again.
for attempt in 1 2 3 4 5; do
  port=$(free_port)
  cat >"$folder/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=NO
no_anon_password=YES
anon_root=$folder/root
anon_max_rate=200000
pasv_enable=YES
pasv_address=127.0.0.1
port_enable=YES
connect_from_port_20=NO
secure_chroot_dir=$folder/empty
nopriv_user=nobody
ftp_username=ftp
seccomp_sandbox=NO
xferlog_enable=YES
log_ftp_protocol=YES
vsftpd_log_file=$folder/vsftpd.log
CONF
  # Not started as root: no users to change to, no chroot.
  [ "$(id -u)" -eq 0 ] || echo "run_as_launching_user=YES" >>"$folder/vsftpd.conf"
  "$vsftpd" "$folder/vsftpd.conf" </dev/null >"$folder/server.out" 2>&1 &
  echo $! >"$folder/pid"
  i=0
  while [ $i -lt 50 ]; do
    if listening "$port"; then
      echo "$port" >"$folder/port"
      echo "vsftpd on port $port (attempt $attempt)"
      exit 0
    fi
    kill -0 "$(cat "$folder/pid")" 2>/dev/null || break
    i=$((i + 1))
    sleep 0.1
  done
  kill "$(cat "$folder/pid")" 2>/dev/null
  rm -f "$folder/pid"
done
echo "vsftpd did not start:" >&2
cat "$folder/server.out" >&2
exit 1
