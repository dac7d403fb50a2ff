#!/usr/bin/env bash
# Prints the shipped binaries' sizes against their limits and what they import; fails when a
# binary is over its limit, imports statically a DLL other than Windows' known DLLs (which are
# always taken from the system folder) and Tandemix.dll, names any other DLL than the system's
# to load at first use, imports a name that its DLL does not export, lacks its manifest or a
# system call it looks up at run time, or when our own code calls a heap allocator.
# Usage: binary_check.sh objdump nm Tandemix.exe tandemixctl.exe Tandemix.dll simulated-Tandemix.dll
#        our-libs...
objdump=$1
nm=$2
exe=$3
ctl=$4
hid_dll=$5
sim_dll=$6
status=0
known='kernel32|user32|gdi32|advapi32|msvcrt'
known_dlls="^($known)\.dll$"
# Besides those, these are not known DLLs on every Windows: loaded from the system folder by name.
system_dlls="^($known|comctl32|comdlg32|shell32|shcore|hid|setupapi)\.dll$"

# "DLL function" for each name a binary imports.
imported_names() {
    "$objdump" -p "$1" | awk '/^\tDLL Name: /{dll=$3; next}
        dll && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+/{print dll, $3}
        /^$/{dll=""}'
}
exported_names() {
    "$objdump" -p "$1" | sed -n '/Ordinal\/Name Pointer/,/^$/s/^\t\[ *[0-9]*\] //p'
}

check() {
    local file=$1 limit=$2 allowed=$3 size dlls
    size=$(stat -c %s "$file")
    printf '%-16s %-7s %6d bytes (limit %d)\n' "$(basename "$file")" \
        "$("$objdump" -f "$file" | sed -n 's/.*file format pei-//p')" "$size" "$limit"
    [ "$size" -le "$limit" ] || { echo "  OVER the size limit"; status=1; }
    dlls=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
    echo "  imports: $(echo $dlls)"
    # DLLs named in the binary but not imported are loaded at first use (LoadLibrary).
    late=$(strings -a "$file" | grep -ixE '[a-z0-9_]+\.(dll|drv)' | sort -uf |
        grep -vixF -f <(echo "$dlls"; basename "$file") || true)
    [ -z "$late" ] || echo "  loads at first use: $(echo $late)"
    local dll lower
    for dll in $dlls; do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        if ! [[ $lower =~ $known_dlls ]] && [ "$lower" != "$allowed" ]; then
            echo "  imports a DLL that is not a known DLL: $dll"; status=1
        fi
    done
    for dll in $late; do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        [[ $lower =~ $system_dlls ]] || { echo "  loads a DLL that is not the system's: $dll"; status=1; }
    done
    # A stdcall name that keeps its @ decoration is exported by no DLL: the program would not
    # start (an i686 import library made wrongly shows only here, without running it).
    decorated=$(imported_names "$file" | awk '$2 ~ /@[0-9]+$/' | tr '\n' ' ')
    [ -z "$decorated" ] || { echo "  imports decorated names: $decorated"; status=1; }
}

check "$exe" 65536 tandemix.dll
check "$ctl" 65536 tandemix.dll
check "$hid_dll" 32768 ""
# The programs start beside our library and beside the simulator only if both export every
# name that they import from Tandemix.dll.
for program in "$exe" "$ctl"; do
    wanted=$(imported_names "$program" | awk 'tolower($1) == "tandemix.dll" {print $2}')
    name=$(basename "$program")
    [ -n "$wanted" ] || { echo "$name imports nothing from Tandemix.dll"; status=1; }
    echo "$name imports from Tandemix.dll: $(echo $wanted)"
    for library in "$hid_dll" "$sim_dll"; do
        missing=$(grep -vxF -f <(exported_names "$library") <<<"$wanted" | tr '\n' ' ')
        if [ -n "$missing" ]; then
            echo "  NOT exported by $library: $missing"; status=1
        else
            echo "  all exported by $library"
        fi
    done
done

# The manifests are embedded as text: both programs run with the user's rights, and the utility
# uses the version 6 common controls and scales itself to each monitor.
for wanted in "$exe:asInvoker" "$exe:Common-Controls" "$exe:PerMonitorV2" "$ctl:asInvoker"; do
    program=${wanted%:*}
    if grep -q "${wanted##*:}" "$program"; then
        echo "$(basename "$program")'s manifest: ${wanted##*:}"
    else
        echo "$(basename "$program") has no manifest saying ${wanted##*:}"; status=1
    fi
done

# Calls looked up by name at run time, so the name is in the binary: both programs keep later
# library loads to the system folder, the utility lets files dropped from Explorer through to an
# elevated window.
for wanted in "$exe:SetDefaultDllDirectories" "$ctl:SetDefaultDllDirectories" \
    "$exe:ChangeWindowMessageFilterEx"; do
    program=${wanted%:*}
    if strings -a "$program" | grep -qxF "${wanted##*:}"; then
        echo "$(basename "$program") calls ${wanted##*:}"
    else
        echo "$(basename "$program") does not call ${wanted##*:}"; status=1
    fi
done

# The C runtime's start-up allocates; our own code must not.
shift 6
heap=$("$nm" -u "$@" 2>/dev/null | grep -oE '\b_*(malloc|calloc|realloc|strdup|HeapAlloc|GlobalAlloc|LocalAlloc|_Znw[jmy]|_Zna[jmy])(@[0-9]+)?\b' | sort -u | tr '\n' ' ')
echo "heap allocation called by our own code: ${heap:-none}"
[ -z "$heap" ] || status=1
exit $status
