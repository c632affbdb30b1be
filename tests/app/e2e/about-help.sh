#!/usr/bin/env bash
# The version dialog (its text, icon, closing, its screenshot) and the help command (the text
# file beside the executable, shown by the shell's viewer); both also for the program stored
# under another name.
. "$(dirname "$0")/lib.sh"

# The identity strings, from their one source.
version_string() { sed -n "s/^#define $1 \"\(.*\)\"\$/\1/p" "$SONORM_SOURCE_DIR/app/res/Version.h"; }
VERSION_TEXT=$(asciihex "$(version_string SONORM_PRODUCT) version $(version_string SONORM_FILEVERSION)
$(version_string SONORM_LEGAL)")

# open_about: the version dialog through the menu, once the program has handled the command;
# sets ABOUT (and BOX, its description).
open_about() {
    ABOUT=
    drv command "$MAIN" $ID_ABOUT >/dev/null
    find_box "$MAIN" && ABOUT=$BOXHWND
}
about_text() { itemtext "$ABOUT" $IDC_ABOUT_TEXT; }
# closes_by DESCRIPTION ACTION: opens the dialog unless it is open (ABOUT set), closes it by
# ACTION (run through eval, so that it may name $ABOUT), and checks both ends.
closes_by() {
    if [ -z "$ABOUT" ] && ! open_about; then
        check "the version dialog opens (to close by $1)" yes no
        return 0
    fi
    eval "$2" >/dev/null
    check_true "the version dialog closes by $1" drv wait-gone "$ABOUT" "$WAIT_MS"
    check "and the main dialog is enabled again" 1 "$(windowfield "$MAIN" enabled)"
    ABOUT=
}
# help_shows NAME: the help command opens the viewer on NAME (beside the executable) showing
# the file as it is; the viewer is closed again.
help_shows() {
    local out
    drv command "$MAIN" $ID_HELP >/dev/null
    out=$(drv find title "$1" "$WAIT_MS") || return 1
    [ "$(field edit <<<"$out")" == "$(od -An -v -tx1 "$BIN/Sonorm.txt" | tr -d ' \n')" ] &&
        close_windows "$1"
}

ABOUT=
reg_clear
start_program

# --- the version dialog ---------------------------------------------------------------------
check_true "the menu's version command opens a dialog owned by the main dialog" open_about
check "its caption is バージョン情報" "$(cp932hex 'バージョン情報')" "$(field text <<<"$BOX")"
check "its text is the product, version and rights lines" "$VERSION_TEXT" "$(about_text)"
check "it shows the program's icon" app \
    "$(drv probe "$ABOUT" staticicon "$(field iconcontrol <<<"$BOX")" | field icon)"
check "OK has the focus; the main dialog is disabled meanwhile" "$IDOK 0" \
    "$(windowfield "$ABOUT" focus) $(windowfield "$MAIN" enabled)"
screenshot "$ABOUT" about-dialog
closes_by Esc "press $VK_ESCAPE"
closes_by "the OK button" 'click "$ABOUT" $IDOK'

# --- help -----------------------------------------------------------------------------------
check_true "the help text is Japanese" grep -q "$(printf '使い方' | iconv -f UTF-8 -t CP932)" "$BIN/Sonorm.txt"
check_true "the help command shows Sonorm.txt beside the executable in the text viewer" \
    help_shows Sonorm.txt
close_program
check "the program exits with code 0" 0 "$STATUS"

# --- stored under another name --------------------------------------------------------------
mkdir -p "$WORK/Tools"
cp "$EXE" "$WORK/Tools/conv.exe"
cp "$BIN/Sonorm.txt" "$WORK/Tools/conv.txt"
PROGRAM=$WORK/Tools/conv.exe start_program
check_true "as conv.exe its help is conv.txt beside it" help_shows conv.txt
check_true "its version command opens the version dialog" open_about
check "which still shows the version block's product name" "$VERSION_TEXT" "$(about_text)"
close_box "$ABOUT"
close_program
check "it exits with code 0" 0 "$STATUS"
finish
