#!/usr/bin/env bash
# Builds the release artefacts into dist/: the Windows installer and zip from the win32 preset
# and the Debian package of tandemixctl from the native preset, and the web page ready for any
# static host, each named with the version that project() in CMakeLists.txt defines. Installs
# what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
mkdir -p build
# Only what goes into the artefacts is built; the logs keep the build's output.
build() {
    local preset=$1 log="build/package-$1.log"
    shift
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@"; } >"$log" 2>&1; then
        cat "$log"
        echo "The $preset build failed (its log: $root/$log)." >&2
        exit 1
    fi
}
build win32 tandemix_windows_packages
build native tandemixctl
bash scripts/web.sh build >build/package-web.log 2>&1 || { cat build/package-web.log; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
rm -rf dist build/native/packages
mkdir dist
cpack --config build/native/CPackConfig.cmake >build/package-cpack.log 2>&1 ||
    { cat build/package-cpack.log; exit 1; }
cp "build/win32/packaging/Tandemix-$version-windows.msi" \
    "build/win32/packaging/Tandemix-$version-windows.zip" \
    "build/native/packages/tandemixctl_${version}_amd64.deb" dist/
(cd build/web/site && zip -qrX "$root/dist/Tandemix-$version-web.zip" .)
ls -l dist
