#!/bin/sh
# start_server.sh <python3> <update_server.py> <folder>
# Starts the test update server in the background and waits until it listens.
python=$1 script=$2 folder=$3
mkdir -p "$folder/root"
[ -f "$folder/pid" ] && kill "$(cat "$folder/pid")" 2>/dev/null
rm -f "$folder/port"
"$python" "$script" --root "$folder/root" --portfile "$folder/port" --log "$folder/requests.log" \
  </dev/null >/dev/null 2>&1 &
echo $! > "$folder/pid"
i=0
while [ ! -s "$folder/port" ]; do
  i=$((i + 1))
  [ $i -gt 100 ] && { echo "update server did not start" >&2; exit 1; }
  sleep 0.1
done
echo "update server on port $(cat "$folder/port")"
