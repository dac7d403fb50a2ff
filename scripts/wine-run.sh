#!/usr/bin/env bash
# Runs one cross-built program under Wine: CTest's emulator for the Windows presets.
# shellcheck source=wine-session.sh
source "$(dirname "$0")/wine-session.sh"
exec wine "$@"
