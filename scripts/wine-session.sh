# Sourced by the run and test commands: a private Xvfb display (when none is given), a Wine
# prefix inside the build tree, and one persistent wineserver, all stopped by pid at the end.
session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Windows on our private Xvfb are unmanaged; on a display of the user's own they are normal
# managed, decorated windows, in a prefix (and so a wineserver) of their own.
session_prefix=$session_root/build/wineprefix
[ -z "${DISPLAY:-}" ] || session_prefix=$session_root/build/wineprefix-desktop
export WINEPREFIX=${WINEPREFIX:-$session_prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No winedbg: a program that crashes ends at once with an error status instead of waiting in the
# debugger until a time-out.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}
export WINEARCH=win64
session_xvfb_pid=""
session_started=""
session_owns_server=""

# Debian's Wine runs i686 programs through its 32-bit loader, which needs a kernel that
# executes 32-bit processes; some sandboxed kernels do not.
wine_runs_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Debian's wine and wine-stable commands pick the 32-bit loader whenever it is installed, even
# where it cannot run; there, commands of the same names that run the 64-bit loader go first in
# PATH, so that the 64-bit programs and Wine's own tools (wineboot, reg) still run.
if ! wine_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
    session_wine_bin=$session_root/build/wine64-bin
    if [ ! -x "$session_wine_bin/wine-stable" ]; then
        mkdir -p "$session_wine_bin"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$session_wine_bin/wine"
        chmod +x "$session_wine_bin/wine"
        ln -sf wine "$session_wine_bin/wine-stable"
    fi
    case ":$PATH:" in *":$session_wine_bin:"*) ;; *) export PATH="$session_wine_bin:$PATH" ;; esac
fi

# Wine's own fonts (fonts-wine): Debian's Wine looks for them under "/usr/share/wine\../fonts", a
# path its file lookup refuses, so they are linked into the prefix's Fonts folder. The control
# font, Microsoft Sans Serif, is then read from Wine's MS Sans Serif, a face of the same metrics;
# without them Wine takes a wider face that cuts the labels off, and the caption buttons have no
# Marlett symbols.
session_prefix_steps=2 # raise it when set_up_prefix changes, so existing prefixes get it too
set_up_prefix() {
    [ -f /usr/share/wine/fonts/sserife.fon ] &&
        ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" &&
        session_reg 'HKCU\Software\Wine\Fonts\Replacements' 'Microsoft Sans Serif' 'MS Sans Serif' ||
        return 1
    # Unmanaged windows show and close at once instead of waiting for a window manager.
    [ -n "$session_xvfb_pid" ] || return 0
    session_reg 'HKCU\Software\Wine\X11 Driver' Managed N &&
        session_reg 'HKCU\Software\Wine\X11 Driver' Decorated N
}

session_reg() {
    wine reg add "$1" /v "$2" /d "$3" /f </dev/null >/dev/null 2>&1
}

start_session() {
    if [ -z "${DISPLAY:-}" ]; then
        local n=91
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        # In a session of its own, so that a Ctrl+C does not end it before the programs on it.
        setsid Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
        session_xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    fi
    # The stamp holds the version of the steps and is written only when every step worked, so
    # the steps run again on our own prefix left half-made or made by older steps; a prefix
    # given through WINEPREFIX is set up only when it is new.
    if [ "$(cat "$WINEPREFIX/tandemix-prefix-ready" 2>/dev/null)" != "$session_prefix_steps" ] &&
        { [ "$WINEPREFIX" = "$session_prefix" ] || [ ! -f "$WINEPREFIX/system.reg" ]; }; then
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 && set_up_prefix && wineserver -w &&
            echo "$session_prefix_steps" >"$WINEPREFIX/tandemix-prefix-ready" ||
            echo "warning: the Wine prefix $WINEPREFIX could not be set up" >&2
    fi
    # "wineserver -w" returns at once when no server runs for the prefix; one that is already
    # running (a caller's) is left running at the end.
    session_started=1
    if timeout 1 wineserver -w </dev/null >/dev/null 2>&1; then
        session_owns_server=1
        wineserver -p </dev/null >/dev/null 2>&1 &
    fi
    # Prime the server so its services do not inherit a caller's pipes.
    wine wineboot </dev/null >/dev/null 2>&1
    # A window test at other dots per inch that was cut short leaves its setting behind.
    if [ "$WINEPREFIX" = "$session_prefix" ] && awk '/^\[/ {desktop = index($0, "[Control Panel\\\\Desktop]") == 1}
            desktop && /^"LogPixels"/ {found = 1} END {exit !found}' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1
    fi
}

# Stops the wineserver only when this session started it: the server of a prefix given through
# WINEPREFIX that was already running (ours then exited at once) is left alone.
stop_session() {
    if [ -n "$session_owns_server" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "$session_xvfb_pid" ]; then kill "$session_xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null
    session_started=""
    session_owns_server=""
    session_xvfb_pid=""
}
