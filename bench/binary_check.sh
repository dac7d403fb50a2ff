#!/usr/bin/env bash
# Prints the shipped binaries' sizes against their limits and what they import; fails when a
# binary is over its limit or imports a DLL that Windows does not provide.
# Usage: binary_check.sh objdump nm Tandemix.exe Tandemix.dll our-static-libraries...
objdump=$1
nm=$2
status=0
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|msvcrt|hid|setupapi)\.dll$'
check() {
    local file=$1 limit=$2 allowed=$3 size dlls
    size=$(stat -c %s "$file")
    printf '%-14s %6d bytes (limit %d)\n' "$(basename "$file")" "$size" "$limit"
    [ "$size" -le "$limit" ] || { echo "  OVER the size limit"; status=1; }
    dlls=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
    echo "  imports: $(echo $dlls)"
    # DLLs named in the binary but not imported are loaded at first use (delay-load, LoadLibrary).
    late=$(strings -a "$file" | grep -ixE '[a-z0-9_]+\.(dll|drv)' | sort -uf |
        grep -vixF -f <(echo "$dlls"; basename "$file") || true)
    [ -z "$late" ] || echo "  loads at first use: $(echo $late)"
    for dll in $dlls $late; do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        if ! [[ $lower =~ $system_dlls ]] && [ "$lower" != "$allowed" ]; then
            echo "  imports a DLL that is not the system's: $dll"; status=1
        fi
    done
}
check "$3" 65536 tandemix.dll
check "$4" 32768 ""
# The C runtime's start-up allocates; our own code must not.
shift 4
heap=$("$nm" -u "$@" 2>/dev/null | grep -oE '\b_*(malloc|calloc|realloc|strdup|HeapAlloc|GlobalAlloc|LocalAlloc|_Znw[jmy]|_Zna[jmy])(@[0-9]+)?\b' | sort -u | tr '\n' ' ')
echo "heap allocation called by our own code: ${heap:-none}"
[ -z "$heap" ] || status=1
exit $status
