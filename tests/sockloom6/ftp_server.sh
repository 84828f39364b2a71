#!/bin/sh
# ftp_server.sh start|stop <python3> <ftp_server.py> <folder>
# Starts the test FTP server in the background (its home <folder>/root,
# user "tester", password "secret", the port in <folder>/port) and waits
# until it listens; or stops it.
action=$1 python=$2 script=$3 folder=$4
if [ -f "$folder/pid" ]; then
  kill "$(cat "$folder/pid")" 2>/dev/null
  rm -f "$folder/pid"
fi
[ "$action" = stop ] && exit 0
rm -rf "$folder/root"
mkdir -p "$folder/root"
rm -f "$folder/port"
"$python" "$script" --root "$folder/root" --portfile "$folder/port" --user tester --password secret \
  </dev/null >"$folder/server.log" 2>&1 &
echo $! > "$folder/pid"
i=0
while [ ! -s "$folder/port" ]; do
  i=$((i + 1))
  if [ $i -gt 100 ]; then
    echo "FTP server did not start:" >&2
    cat "$folder/server.log" >&2
    exit 1
  fi
  sleep 0.1
done
echo "FTP server on port $(cat "$folder/port")"
