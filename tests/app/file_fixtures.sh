#!/usr/bin/env bash
# Prepares (setup) or removes (cleanup) the file systems of the file tests in folder $2: a tiny
# tmpfs that is already full and a read-only one, each with a configuration file in it, and a
# folder that takes no new file (immutable) though its configuration file may be written.
# That needs root; without it the folders stay unprepared and those tests skip themselves.
chattr -i "$2/sealed" 2>/dev/null
for sub in full readonly; do
    mountpoint -q "$2/$sub" 2>/dev/null && umount "$2/$sub"
done
rm -rf "$2"
[ "$1" = setup ] || exit 0
mkdir -p "$2/full" "$2/readonly"
# Each holds a configuration file that a failed save must leave whole.
for sub in full readonly; do
    mount -t tmpfs -o size=8k tmpfs "$2/$sub" 2>/dev/null && touch "$2/$sub/ready" &&
        head -c 512 /dev/urandom >"$2/$sub/config.tnx"
done
mkdir "$2/sealed" && touch "$2/sealed/ready" && head -c 512 /dev/urandom >"$2/sealed/config.tnx" &&
    chattr +i "$2/sealed" 2>/dev/null || rm -f "$2/sealed/ready"
dd if=/dev/zero of="$2/full/filler" bs=1k count=64 2>/dev/null
mount -o remount,ro "$2/readonly" 2>/dev/null || umount "$2/readonly" 2>/dev/null
exit 0
