#!/bin/sh
# full_disk.sh mount|unmount <folder>
# A 64 KiB tmpfs at <folder>, for the test of a download that fills the
# disk. Where mounting is not allowed the folder stays an ordinary one and
# <folder>/.not-mounted says so (the test then says it was not run).
action=$1 folder=$2
if mountpoint -q "$folder" 2>/dev/null; then umount -l "$folder" 2>/dev/null; fi
[ "$action" = unmount ] && exit 0
mkdir -p "$folder"
rm -f "$folder/.not-mounted"
if ! mount -t tmpfs -o size=64k,mode=0777 tmpfs "$folder" 2>/dev/null; then
  touch "$folder/.not-mounted"
fi
exit 0
