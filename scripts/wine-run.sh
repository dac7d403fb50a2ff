#!/usr/bin/env bash
# Runs one cross-built program under Wine: CTest's emulator for the Windows presets.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
