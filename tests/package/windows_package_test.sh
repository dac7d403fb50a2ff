#!/usr/bin/env bash
# The Windows release. The zip holds exactly the three programs and README.txt: our library, not
# the simulator, and the utility at the project's version. The installer, under Wine in a fresh
# prefix of the test's own, installs them for the current user with a Start menu shortcut and an
# entry in the list of installed programs; the utility starts from the shortcut and, with no
# adapter, shows the not-found box and ends; the next version replaces the release; removing it
# leaves the user's .TNX file. Before that, the installer's tables pass the validation rules of a
# per-user package.
# Usage: windows_package_test.sh VERSION packaging-folder work-folder
set -u
version=$1 release=$2/Tandemix-$1-windows next=$(ls -t "$2"/upgrade-test/*.msi | head -1) work=$3
product='Tandemix Configuration Utility'
fail() { echo "FAIL: $*"; exit 1; }

# Windows Installer's validation rules for a per-user package, which wixl does not run, checked
# row by row on the tables of installer $1; prints each failure with its rule.
ice_failures() {
    local table tables=$(mktemp -d)
    for table in Directory File Component Shortcut RemoveFile Registry Property; do
        msiinfo export "$1" "$table" | tr -d '\r' | tail -n +4 >"$tables/$table"
    done
    awk -F'\t' '
        FILENAME ~ /Directory$/ { parent[$1] = $2; name[$1] = $3 }
        FILENAME ~ /\/File$/ { named["file " $1] = $3 }
        FILENAME ~ /Component$/ { folder[$1] = $3; keyPath[$1] = $6 }
        FILENAME ~ /Shortcut$/ { named["shortcut " $1] = $3; shortcutOf[$1] = $4 }
        FILENAME ~ /RemoveFile$/ && $3 == "" { removed[$4] = 1 }
        FILENAME ~ /Registry$/ { root[$1] = $2; valueOf[$1] = $6 }
        FILENAME ~ /Property$/ && $1 == "ALLUSERS" { allUsers = $2 }
        # The short name is the part before "|", or the whole name when there is no long one.
        function short83(n) {
            sub(/\|.*/, "", n)
            dot = index(n, ".")
            return n ~ /^[A-Za-z0-9_~!#$%&@^{}()-]+(\.[A-Za-z0-9_~!#$%&@^{}()-]+)?$/ &&
                (dot ? dot - 1 : length(n)) <= 8 && (dot ? length(n) - dot : 0) <= 3
        }
        function inProfile(d) {
            for (; d != ""; d = parent[d])
                if (d ~ /^(LocalAppData|AppData|ProgramMenu|StartMenu|Startup|Desktop|Personal|Favorites|SendTo|Template|NetHood|PrintHood|Recent|MyPictures)Folder$/)
                    return 1
            return 0
        }
        END {
            for (f in named) if (!short83(named[f])) print "ICE03: the " f " has no 8.3 short name (" named[f] ")"
            for (d in name) {
                if (parent[d] == "" || name[d] == ".") continue
                n = split(name[d], side, ":")
                for (i = 1; i <= n; i++) if (side[i] != "." && !short83(side[i])) print "ICE03: the folder " d " has no 8.3 short name (" name[d] ")"
                if (inProfile(parent[d]) && !removed[d]) print "ICE64: the folder " d " in the user profile has no RemoveFolder row"
            }
            for (c in folder) if (inProfile(folder[c]) && root[keyPath[c]] != 1) print "ICE38: the component " c " in the user profile has no key path under HKCU"
            for (s in shortcutOf) if (root[keyPath[shortcutOf[s]]] != 1) print "ICE43: the component of the shortcut " s " has no key path under HKCU"
            for (r in root) if (inProfile(folder[valueOf[r]]) && root[r] != 1) print "ICE57: the component " valueOf[r] " in the user profile writes outside HKCU"
            for (c in folder) if (allUsers != "" && inProfile(folder[c])) print "ICE91: the component " c " goes into the user profile of a package that ALLUSERS=" allUsers " may install per machine"
        }' "$tables"/{Directory,File,Component,Shortcut,RemoveFile,Registry,Property}
    rm -rf "$tables"
}
export WINEPREFIX=$work/prefix
# shellcheck source=../../scripts/wine-session.sh
source "$(dirname "$0")/../../scripts/wine-session.sh"
wineserver -k >/dev/null 2>&1 # the server of a run that was stopped halfway
rm -rf "$work" && mkdir -p "$work/zip" && cd "$work/zip" || exit 1

names=$(unzip -Z1 "$release.zip" | sort | tr '\n' ' ')
[ "$names" = "README.txt Tandemix.dll Tandemix.exe tandemixctl.exe " ] || fail "the zip holds $names"
unzip -q "$release.zip" && grep -q KB/MOUSE README.txt || fail "README.txt names no KB/MOUSE port"
grep -qv $'\r$' README.txt && fail "README.txt has a line that does not end in CRLF"
strings -el Tandemix.dll | grep -qx 'Tandemix HID access library' || fail "Tandemix.dll is not ours"
strings -el ./* | grep -q SIMULATOR && fail "the zip holds the simulator"
# FILEVERSION: 8 bytes after the signature of the version block's VS_FIXEDFILEINFO, two 32-bit
# numbers whose high 16 bits come first in the version.
at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' Tandemix.exe | head -1 | cut -d: -f1)
numbers=$(od -An -tu2 -j $((at + 8)) -N 8 Tandemix.exe | awk '{print $2 "." $1 "." $4 "." $3}')
[ "$numbers" = "$version.0" ] || fail "Tandemix.exe's FILEVERSION is $numbers, the project's $version"

failures=$(ice_failures "$release.msi")
[ -z "$failures" ] || fail "the installer breaks Windows Installer's rules:"$'\n'"$failures"

trap stop_session EXIT
start_session
folder() { wine cmd /c "echo %$1%" </dev/null | tr -d '\r'; }
programs_w="$(folder LOCALAPPDATA)\\Programs\\Tandemix" programs=$(winepath -u "$programs_w")
shortcut="$(winepath -u "$(folder APPDATA)")/Microsoft/Windows/Start Menu/Programs/$product.lnk"
msiexec() { wine msiexec "$1" "Z:${2//\//\\}" /qn </dev/null || fail "msiexec $1 ${2##*/}: $?"; }
files() { (cd "$1" && md5sum -- *); }
# Installer $1's product in the list of installed programs, then how many of the utility's
# products the current user's context holds (per machine they are under HKLM). Windows lists a
# per-user product under HKCU; Wine's msiexec lists every product under HKLM.
registered() {
    local code
    code=$(msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
    wine reg query "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" |
        tr -d '\r' | sed -n 's/^ *\(DisplayName\|DisplayVersion\|Publisher\) *REG_SZ *//p' | tr '\n' '|'
    wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s | grep -c "ProductName *REG_SZ *$product"
} 2>/dev/null

msiexec /i "$release.msi"
[ "$(files "$programs")" = "$(files . | grep -v README)" ] || fail "installed: $(ls "$programs")"
[ "$(registered "$release.msi")" = "$product|$version|Velomark|1" ] ||
    fail "registered: $(registered "$release.msi")"
strings -a -el "$shortcut" | grep -qF "$programs_w\\" || fail "the shortcut's working folder"
# Our library finds no adapter: the not-found box, which has the program's title, then the end.
# The program started through its shortcut is no child of ours: it is found by its path.
wine start /unix "$shortcut" </dev/null >/dev/null 2>&1
box=$(timeout 20 xdotool search --sync --onlyvisible --name "^$product\$" | head -1)
timeout 5 xdotool windowfocus --sync "$box" key Return || fail "no window from the shortcut"
timeout 10 bash -c 'while pgrep -f "Programs.Tandemix.Tandemix\.exe"; do sleep 0.1; done' >/dev/null ||
    fail "the utility went on after its first box"

head -c 512 /dev/zero >"$programs/Config.TNX"
msiexec /i "$next"
next_version=${next##*/Tandemix-} next_version=${next_version%-windows.msi}
[ "$(registered "$release.msi") $(registered "$next")" = "1 $product|$next_version|Velomark|1" ] ||
    fail "after the upgrade: $(registered "$release.msi") and $(registered "$next")"
msiexec /x "$next"
[ "$(ls "$programs")" = Config.TNX ] || fail "after removal the folder holds $(ls "$programs")"
[ -e "$shortcut" ] && fail "the shortcut stayed"
[ "$(registered "$next")" = 0 ] || fail "still registered: $(registered "$next")"
wine reg query 'HKCU\Software\Velomark' >/dev/null 2>&1 && fail "the installer's values stayed"
stop_session
rm -rf "$WINEPREFIX"
echo "PASS: ${release##*/}.msi and .zip; ${next##*/} replaced it"
