# Shared part of the end-to-end scenarios: runs the real Sonorm.exe under Wine on the session's
# display and operates it with sonorm-driver.exe, checking what a person would see.
# Sourced by each scenario script; ctest provides SONORM_WINE_STATE, SONORM_SOURCE_DIR and
# SONORM_BINARY_DIR (sonorm_add_wine_test).
set -euo pipefail
: "${SONORM_WINE_STATE:?run through ctest}" "${SONORM_SOURCE_DIR:?}" "${SONORM_BINARY_DIR:?}"

. "$SONORM_SOURCE_DIR/tools/wine-env"
sonorm_wine_env "$SONORM_WINE_STATE"

WINE=$WINELOADER
BIN=$SONORM_BINARY_DIR/bin
EXE=$BIN/Sonorm.exe
SCENARIO=$(basename "$0" .sh)
WORK=$SONORM_BINARY_DIR/e2e/$SCENARIO
SHOTS=$SONORM_BINARY_DIR/screenshots
STRINGS=$SONORM_SOURCE_DIR/app/res/StringTexts.def
SETTINGS='Software\Velquin\Sonorm\1.01'

# Window messages, commands and keys used by the scenarios.
WM_CLOSE=0x10
WM_QUERYENDSESSION=0x11
WM_NCACTIVATE=0x86
WM_SYSCOMMAND=0x112
WM_POWERBROADCAST=0x218
SC_CLOSE=0xF060
VK_TAB=9
VK_RETURN=13
VK_ESCAPE=27
IDOK=1
IDCANCEL=2
IDYES=6

# Ids of the program's controls and commands (IDC_*, ID_*), from their one source.
eval "$(sed -n 's/^#define \(ID[A-Z_]*\) \([0-9]*\)$/\1=\2/p' "$SONORM_SOURCE_DIR/app/res/ResourceIds.h")"

# Deadlines, not delays: each wait ends as soon as what it waits for happens, so they are set
# for a machine under heavy load. How long a program may take to show its first window, to end
# after being told to close, and any other window to appear or go (ms).
START_SECONDS=60
EXIT_SECONDS=30
WAIT_MS=30000

rm -rf "$WORK"
mkdir -p "$WORK"
checks=0
failures=0
PID=
MAIN=
started=()

# --- results -------------------------------------------------------------------------------

check() { # DESCRIPTION EXPECTED ACTUAL
    checks=$((checks + 1))
    if [ "$2" == "$3" ]; then
        echo "ok   $1"
    else
        failures=$((failures + 1))
        echo "FAIL $1"
        echo "       expected: $2"
        echo "       actual:   $3"
    fi
}

check_true() { # DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then check "$description" yes yes; else check "$description" yes no; fi
}

finish() {
    echo "$SCENARIO: $checks checks, $failures failed"
    [ "$failures" -eq 0 ]
}

# --- texts ---------------------------------------------------------------------------------

# Hex of the code page 932 bytes of a UTF-8 text: how the program's ANSI texts compare.
cp932hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -v -tx1 | tr -d ' \n'; }
asciihex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
# The bytes given in hex.
unhex() { printf '%b' "$(tr -d ' \n' <<<"$1" | sed 's/../\\x&/g')"; }
# The UTF-8 text of code page 932 bytes given in hex (for messages).
decode() { unhex "$1" | iconv -f CP932 -t UTF-8 2>/dev/null || true; }
# The text of a string-table entry from the program's one source of them.
stringtext() { sed -n "s/^SONORM_STRING($1, [A-Z0-9_]*, \"\(.*\)\")\$/\1/p" "$STRINGS"; }

# The Windows path of a file of the build tree (Wine maps / to drive Z:).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# --- the driver ----------------------------------------------------------------------------

# Each run is a fresh Wine process; Wine rarely ends one with status 1 before it runs (the
# driver itself always says why it fails): then it runs once more.
drv() {
    local attempt status
    for attempt in 1 2; do
        status=0
        "$WINE" "$BIN/sonorm-driver.exe" "$@" 2>"$WORK/driver.err" | tr -d '\r' || status=$?
        if [ "$status" -ne 1 ] || [ -s "$WORK/driver.err" ]; then
            break
        fi
        echo "note: the driver ended with status 1 before it ran (attempt $attempt): $*" >&2
    done
    cat "$WORK/driver.err" >&2
    return "$status"
}
# The value of KEY in the driver's key=value output on stdin.
field() { sed -n "s/^$1=//p" | head -n 1; }

# click DIALOG ID: clicks a button; returns once the program has handled the click.
click() {
    drv click "$1" "$2" >/dev/null
    drv sync "$MAIN" >/dev/null
}
# press KEY: a key press on the focused control of the program; returns once it is handled.
press() {
    drv key "$MAIN" "$1" >/dev/null
    drv sync "$MAIN" >/dev/null
}

# focus_on DIALOG ID: moves the keyboard focus to control ID with Tab, as a person would.
focus_on() {
    local _
    for _ in 1 2 3 4 5 6; do
        [ "$(windowfield "$1" focus)" == "$2" ] && return 0
        press "$VK_TAB"
    done
    [ "$(windowfield "$1" focus)" == "$2" ]
}

# settext DIALOG ID TEXT: puts TEXT (UTF-8, characters of code page 932) into control ID.
settext() { drv settext "$1" "$2" "$(cp932hex "$3")" >/dev/null; }
itemtext() { drv item "$1" "$2" | field text; }
itemenabled() { drv item "$1" "$2" | field enabled; }
windowfield() { drv window "$1" | field "$2"; }

# find_box OWNER [TIMEOUT]: waits for a dialog owned by OWNER (message box, version or file
# dialog); sets BOX to the driver's description of it and BOXHWND to its handle.
find_box() { BOX=$(drv find owned "$1" "${2:-$WAIT_MS}") && BOXHWND=$(field hwnd <<<"$BOX"); }
# close_box HWND [ID]: ends the dialog with command ID (OK when not given) and waits for it.
close_box() {
    drv command "$1" "${2:-$IDOK}" >/dev/null
    drv wait-gone "$1" "$WAIT_MS" >/dev/null || true
}
# answer_box OWNER ID DESCRIPTION: checks that a dialog owned by OWNER is up; answers it with ID.
answer_box() {
    if find_box "$1"; then
        check "$3" yes yes
        close_box "$BOXHWND" "$2"
    else
        check "$3" yes no
    fi
}

# --- the program ---------------------------------------------------------------------------

# start_program [ARG...]: starts ${PROGRAM:-Sonorm.exe} (through the Wine command in LAUNCH,
# when given) and waits for its main dialog; sets PID and MAIN. Main dialogs already open
# (given in OTHERS, comma-separated) are not taken for the new one. A program that ends first
# fails it, with STATUS set to its exit status; Wine rarely ends a fresh process with status 1
# before its first window: then it starts once more.
start_program() {
    local exe=${PROGRAM:-$EXE} attempt deadline out
    for attempt in 1 2; do
        # shellcheck disable=SC2086
        "$WINE" ${LAUNCH:-} "$exe" "$@" >>"$WORK/program.log" 2>&1 &
        PID=$!
        started+=("$PID")
        deadline=$((SECONDS + START_SECONDS))
        while [ $SECONDS -lt $deadline ]; do
            if out=$(drv find main "${OTHERS:--}" 500 2>/dev/null); then
                MAIN=$(field hwnd <<<"$out")
                return 0
            fi
            kill -0 "$PID" 2>/dev/null || break
        done
        if kill -0 "$PID" 2>/dev/null; then
            echo "start_program: no main dialog after $START_SECONDS s" >&2
            return 1
        fi
        STATUS=0
        wait "$PID" || STATUS=$?
        echo "note: the program ended with status $STATUS before any main dialog (attempt $attempt)"
        [ "$STATUS" -eq 1 ] || return 1
    done
    return 1
}

# Waits for the program to end; sets STATUS to its exit status, or "running" when it did not
# end in time. (Not in a subshell: only this shell can collect its child's status.)
wait_exit() {
    local pid=${1:-$PID} deadline=$((SECONDS + EXIT_SECONDS))
    STATUS=0
    while kill -0 "$pid" 2>/dev/null; do
        if [ $SECONDS -ge $deadline ]; then
            STATUS=running
            return 0
        fi
        sleep 0.2
    done
    wait "$pid" || STATUS=$?
}

# Closes the program through its exit command and waits for it.
close_program() {
    drv command "$MAIN" "$ID_EXIT" >/dev/null || true
    wait_exit
}

# Ends what a scenario leaves behind: its own program processes and Notepad windows it opened.
cleanup() {
    local pid hwnd
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    close_windows .txt 2>/dev/null || true
}
trap cleanup EXIT

# close_windows TITLE: closes every window whose title contains TITLE (the help viewers).
close_windows() {
    local hwnd
    while hwnd=$(drv find title "$1" 1000 2>/dev/null | field hwnd) && [ -n "$hwnd" ]; do
        drv post "$hwnd" "$WM_CLOSE" 0 0 >/dev/null
        drv wait-gone "$hwnd" "$WAIT_MS" >/dev/null || return 1
    done
}
# wait_until COMMAND...: runs COMMAND until it succeeds, up to WAIT_MS.
wait_until() {
    local deadline=$((SECONDS + WAIT_MS / 1000))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# The settings keys, set up and inspected with Wine's own registry tool.
reg() { "$WINE" reg "$@" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
reg_clear() {
    reg delete 'HKCU\Software\Velquin' /f >/dev/null || true
    reg delete 'HKLM\Software\Velquin' /f >/dev/null || true
}
reg_exists() { if reg query "$1\\$2" >/dev/null; then echo 1; else echo 0; fi; }
# reg_set ROOT NAME VALUE: a DWORD value of the settings key; reg_get ROOT NAME: its value (hex).
reg_set() { reg add "$1\\$SETTINGS" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null; }
reg_get() { reg query "$1\\$SETTINGS" /v "$2" | awk -v name="$2" '$1 == name { print $3 }'; }
# save_position LEFT TOP RIGHT BOTTOM MAXIMIZED: the saved main-window position values.
save_position() {
    local values=("$@") i=0 name
    for name in left top right bottom bmaximized; do
        reg_set HKCU "MainWindowPos.$name" "${values[i++]}"
    done
}

# screenshot HWND NAME: the window as it is on the screen, as build/screenshots/NAME.png, and
# in docs/ when it differs there in any pixel (so a re-run leaves the checkout clean). docs/
# shows the 64-bit build, the one `make run` opens; the 32-bit run keeps its pictures in its
# build tree, so the two runs never take turns rewriting docs/.
screenshot() {
    local hwnd=$1 name=$2 xid out doc
    mkdir -p "$SHOTS"
    out=$SHOTS/$name.png
    doc=$SONORM_SOURCE_DIR/docs/$name.png
    xid=$(windowfield "$hwnd" xid)
    # No window manager activates windows on the test display: draw the caption as active.
    drv send "$hwnd" "$WM_NCACTIVATE" 1 0 >/dev/null
    sleep 0.3
    xwd -silent -display "$DISPLAY" -id "$xid" | convert xwd:- -strip "$out"
    [ "$WINEARCH" == win64 ] || return 0
    if [ ! -f "$doc" ] || [ "$(compare -metric AE "$out" "$doc" null: 2>&1 || true)" != 0 ]; then
        mkdir -p "$(dirname "$doc")"
        cp "$out" "$doc"
        echo "note: updated docs/$name.png"
    fi
}
