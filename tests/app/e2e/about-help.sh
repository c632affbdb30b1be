#!/usr/bin/env bash
# The version dialog (its text, icon, the four ways to close it, its screenshot) and the help
# command (the text file beside the executable, shown by the shell's viewer); both for the
# program under another name and without its version block.
. "$(dirname "$0")/lib.sh"

# The identity strings, from their one source.
version_string() { sed -n "s/^#define $1 \"\(.*\)\"\$/\1/p" "$SONORM_SOURCE_DIR/app/res/Version.h"; }
PRODUCT=$(version_string SONORM_PRODUCT)
FILEVERSION=$(version_string SONORM_FILEVERSION)
LEGAL=$(version_string SONORM_LEGAL)
LF=$'\n'

# open_about: the version dialog through the menu; sets ABOUT (and BOX, its description).
open_about() {
    drv command "$MAIN" $ID_ABOUT >/dev/null
    find_box "$MAIN" && ABOUT=$BOXHWND
}
about_text() { itemtext "$ABOUT" $IDC_ABOUT_TEXT; }

# closes_by DESCRIPTION ACTION: opens the dialog unless it is open (ABOUT set), closes it by
# ACTION (run through eval, so that it may name $ABOUT), and checks both ends.
closes_by() {
    if [ -z "${ABOUT:-}" ] && ! open_about; then
        check "the version dialog opens (to close by $1)" yes no
        return 0
    fi
    eval "$2" >/dev/null
    check_true "the version dialog closes by $1" drv wait-gone "$ABOUT" 5000
    check "and the main dialog is enabled again" 1 "$(windowfield "$MAIN" enabled)"
    ABOUT=
}

# help_window PART: waits for the viewer showing a file whose name contains PART; sets
# VIEWER_TEXT to the text it shows.
help_window() {
    local out
    out=$(drv find title "$1" 15000) || return 1
    VIEWER_TEXT=$(field edit <<<"$out")
}
close_viewers() {
    local hwnd
    while hwnd=$(drv find title "$1" 500 2>/dev/null | field hwnd) && [ -n "$hwnd" ]; do
        drv post "$hwnd" $WM_CLOSE 0 0 >/dev/null
        drv wait-gone "$hwnd" 5000 >/dev/null || break
    done
}
filehex() { od -An -v -tx1 "$1" | tr -d ' \n'; }

ABOUT=
reg_clear
start_program

# --- the version dialog ---------------------------------------------------------------------
check_true "the menu's version command opens a dialog owned by the main dialog" open_about
check "its caption is バージョン情報" "$(cp932hex 'バージョン情報')" "$(field text <<<"$BOX")"
check "its text is the product, version and rights lines" \
    "$(asciihex "$PRODUCT version $FILEVERSION$LF$LEGAL")" "$(about_text)"
check "it shows the program's icon" app \
    "$(drv probe "$ABOUT" staticicon "$(field iconcontrol <<<"$BOX")" | field icon)"
check "OK has the focus" $IDOK "$(windowfield "$ABOUT" focus)"
check "the main dialog is disabled while it is open" 0 "$(windowfield "$MAIN" enabled)"
screenshot "$ABOUT" about-dialog

closes_by "the OK button" 'click "$ABOUT" $IDOK'
closes_by Enter "press $VK_RETURN"
closes_by Esc "press $VK_ESCAPE"
closes_by "the close box" 'drv post "$ABOUT" $WM_SYSCOMMAND $SC_CLOSE 0'

# --- help -----------------------------------------------------------------------------------
drv command "$MAIN" $ID_HELP >/dev/null
check_true "the help command opens Sonorm.txt in the text viewer" help_window Sonorm.txt
check "the viewer shows the help text beside the executable as it is (code page 932)" \
    "$(filehex "$BIN/Sonorm.txt")" "$VIEWER_TEXT"
check_true "the help text is Japanese" grep -q "$(printf '使い方' | iconv -f UTF-8 -t CP932)" "$BIN/Sonorm.txt"
drv command "$MAIN" $ID_HELP >/dev/null
viewers() { [ "$(drv count title Sonorm.txt | field count)" == "$1" ]; }
for _ in $(seq 50); do viewers 2 && break; done
check_true "a second help command opens a second viewer" viewers 2
close_viewers Sonorm.txt
close_program
check "the program exits with code 0" 0 "$STATUS"

# --- stored under another name --------------------------------------------------------------
mkdir -p "$WORK/Tools"
cp "$EXE" "$WORK/Tools/conv.exe"
cp "$BIN/Sonorm.txt" "$WORK/Tools/conv.txt"
PROGRAM=$WORK/Tools/conv.exe start_program
drv command "$MAIN" $ID_HELP >/dev/null
check_true "as conv.exe its help is conv.txt beside it" help_window conv.txt
close_viewers conv.txt
open_about || true
check "and its version dialog still shows the version block's product name" \
    "$(asciihex "$PRODUCT version $FILEVERSION$LF$LEGAL")" "$(about_text)"
close_box "$ABOUT"
close_program

# --- without a version block ---------------------------------------------------------------
without_resource "$WORK/Tools/Plain.exe" 16 1
PROGRAM=$WORK/Tools/Plain.exe start_program
open_about || true
check "without a version block the version dialog shows the defaults" \
    "$(asciihex "Plain version CurrentVersion${LF}All rights reserved.")" "$(about_text)"
close_box "$ABOUT"
click "$MAIN" $IDC_START
find_box "$MAIN" || BOX=
check "and its messages are captioned with the executable's name" "$(asciihex Plain)" \
    "$(field text <<<"$BOX")"
close_box "$(field hwnd <<<"$BOX")"
close_program
check "it exits with code 0" 0 "$STATUS"
finish
