#!/usr/bin/env bash
# Prepares (setup) or removes (cleanup) the file systems of the file tests: a tiny tmpfs that is
# already full and a read-only one. Mounting needs root; without it the folders
# stay unprepared and those tests skip themselves.
dir=$2
unmount_all() {
    for sub in full readonly; do
        mountpoint -q "$dir/$sub" 2>/dev/null && umount "$dir/$sub"
    done
    rm -rf "$dir"
}
case $1 in
setup)
    unmount_all
    mkdir -p "$dir/full" "$dir/readonly"
    if mount -t tmpfs -o size=8k tmpfs "$dir/full" 2>/dev/null; then
        touch "$dir/full/ready"
        dd if=/dev/zero of="$dir/full/filler" bs=1k count=64 2>/dev/null
    fi
    if mount -t tmpfs -o size=64k tmpfs "$dir/readonly" 2>/dev/null; then
        touch "$dir/readonly/ready"
        mount -o remount,ro "$dir/readonly" || umount "$dir/readonly"
    fi
    exit 0 ;;
cleanup)
    unmount_all
    exit 0 ;;
esac
