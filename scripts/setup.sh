#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing the utility.
# Idempotent: does nothing (and touches no package list) when everything is present. The browser
# tests' npm packages come from npm's registry through `npm ci`, pinned by tests/web's lock file.
set -euo pipefail

need_cmds=(cmake ninja g++ clang++ i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix
  i686-w64-mingw32-windres wine wineserver Xvfb xdotool import python3 pgrep script
  wixl msiinfo unzip dpkg-shlibdeps xwininfo emcc chromium node npm zip)
packages=(cmake ninja-build g++ clang mingw-w64 wine wine32:i386 wine64 xvfb xdotool
  imagemagick libgtest-dev googletest python3 clang-format libhidapi-dev procps bsdutils
  libclang-rt-14-dev fonts-wine wixl msitools unzip dpkg-dev x11-utils emscripten node-acorn
  chromium nodejs zip)

missing=0
for c in "${need_cmds[@]}"; do command -v "$c" >/dev/null 2>&1 || missing=1; done
[ -d /usr/src/googletest/googletest ] || missing=1
[ -f /usr/include/hidapi/hidapi.h ] || missing=1
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || missing=1
[ -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || missing=1
[ -f /usr/share/wine/fonts/sserife.fon ] || missing=1
[ -f /usr/share/nodejs/acorn/package.json ] || missing=1 # emcc's optimiser needs it
if [ "$missing" = 1 ]; then
  # A Node.js that brings its own npm conflicts with Debian's npm package.
  command -v npm >/dev/null 2>&1 || packages+=(npm)
  absent=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f '${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || absent+=("$p")
  done
  echo "Installing through apt: ${absent[*]:-${packages[*]}}." >&2
  echo "A first run takes several minutes: this install, then the Wine prefix." >&2
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# The browser tests' npm packages, as their lock file pins them; installed again when it changes.
web_tests="$(cd "$(dirname "$0")/../tests/web" && pwd)"
if ! cmp -s "$web_tests/package-lock.json" "$web_tests/node_modules/.installed-lock.json"; then
  echo "Installing the browser tests' npm packages (npm ci in tests/web)." >&2
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  cp "$web_tests/package-lock.json" "$web_tests/node_modules/.installed-lock.json"
fi
