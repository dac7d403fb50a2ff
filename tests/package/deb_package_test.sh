#!/usr/bin/env bash
# The Debian package of tandemixctl that CPack makes from the install rules: its name, control
# fields and files, and that its program runs.
# Usage: deb_package_test.sh native-build-folder version
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cpack --config "$1/CPackConfig.cmake" -B "$work" >"$work/log" 2>&1 || fail "cpack: $(cat "$work/log")"
deb=$work/tandemixctl_$2_amd64.deb
# The program links hidapi's hidraw backend, which Debian ships in libhidapi-hidraw0.
fields=$(dpkg-deb -f "$deb" Package Version Architecture Depends | tr '\n' ' ') || fail "${deb##*/}"
[[ $fields == "Package: tandemixctl Version: $2 Architecture: amd64 Depends: "*libhidapi-hidraw0* ]] ||
    fail "control: $fields"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {printf "%s %s %s; ", $1, $2, $6}')
[ "$files" = "-rwxr-xr-x root/root ./usr/bin/tandemixctl; -rw-r--r-- root/root \
./usr/lib/udev/rules.d/70-tandemix.rules; -rw-r--r-- root/root ./usr/share/man/man1/tandemixctl.1; " ] ||
    fail "files: $files"
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x ${deb##*/}"
"$work/root/usr/bin/tandemixctl" --version || fail "the packaged tandemixctl did not run"
echo "PASS: ${deb##*/}, $fields"
