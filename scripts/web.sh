#!/usr/bin/env bash
# Builds the web page into build/web/site, the record rules and the register protocol compiled
# from the utility's C++ sources to WebAssembly beside the page's own files, and serves it on
# http://localhost:8642 (WebHID needs a secure context, which localhost is). With `build`, only
# builds it, and the simulated adapter that the browser tests put behind the page.
# Usage: scripts/web.sh [build]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
export NODE_PATH=/usr/share/nodejs # Debian's emcc finds its acorn there
site=build/web/site
rm -rf "$site"
mkdir -p "$site" build/web/sim
flags=(-std=c++17 -O2 -Wall -Wextra -Werror -fno-exceptions -fno-rtti -sENVIRONMENT=web
  -sFILESYSTEM=0 -sDYNAMIC_EXECUTION=0 -sMODULARIZE)
emcc "${flags[@]}" -Iconfig -Idevice -Ihidlib -sASYNCIFY -sINCOMING_MODULE_JS_API=hid,onProgress -sEXPORT_ES6 -sEXPORT_NAME=TandemixCore \
  -sEXPORTED_RUNTIME_METHODS=ccall,HEAPU8 \
  web/core/web_core.cpp web/core/web_hid.cpp config/config_record.cpp device/device_transfer.cpp \
  hidlib/hid_framing.cpp hidlib/adapter_slots.cpp hidlib/adapter_link.cpp -o "$site/core.js"
cp web/index.html web/style.css web/app.js web/hid.js res/tandemix.ico cli/70-tandemix.rules "$site/"
emcc "${flags[@]}" -Isim -Idevice -sEXPORT_NAME=TandemixSim -sINCOMING_MODULE_JS_API=wasmBinary \
  -sEXPORTED_RUNTIME_METHODS=HEAPU8,UTF8ToString sim/sim_web.cpp sim/sim_adapter.cpp -o build/web/sim/sim.js
[ "${1:-}" = build ] && exit 0
echo "The Tandemix page: http://localhost:8642/ (Ctrl+C ends the server)"
exec python3 -m http.server 8642 --bind 127.0.0.1 --directory "$site"
