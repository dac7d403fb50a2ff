#!/usr/bin/env bash
# Runs a window test program with Wine's display at $1 dots per inch: $2 the program, $3 its
# tests. Every program that Wine starts meanwhile sees the setting, so CTest runs this alone,
# and the setting is taken back however the run ends.
# shellcheck source=../../scripts/wine-session.sh
source "$(dirname "$0")/../../scripts/wine-session.sh"
key='HKCU\Control Panel\Desktop'
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1 || exit 1
trap 'wine reg delete "$key" /v LogPixels /f </dev/null >/dev/null 2>&1' EXIT
TANDEMIX_TEST_DPI=$1 wine "$2" --gtest_brief=1 --gtest_filter="$3"
