#!/usr/bin/env bash
# Starting the program: the main dialog as it first appears and where, its menus, icon and
# keyboard order; a second start; a start minimised by the shell; a saved placement.
. "$(dirname "$0")/lib.sh"

# Checks that the dialog's outer rectangle is centred in the work area (to a pixel).
centred() {
    local l t r b wl wt wr wb dx dy
    IFS=, read -r l t r b <<<"$1"
    IFS=, read -r wl wt wr wb <<<"$(drv screen | field workarea)"
    dx=$((2 * l - (wl + wr - (r - l))))
    dy=$((2 * t - (wt + wb - (b - t))))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}

# --- first start, no settings key ---------------------------------------------------------
reg_clear
start_program
window=$(drv window "$MAIN")
check "the main dialog is shown, captioned Sonorm, not maximised" "1 $(asciihex Sonorm) 0" \
    "$(field visible <<<"$window") $(field text <<<"$window") $(field zoomed <<<"$window")"
rect=$(field rect <<<"$window")
check_true "without a settings key it is centred ($rect)" centred "$rect"
IFS=, read -r left top right bottom <<<"$rect"
width=$((right - left))
height=$((bottom - top))

# The system menu: no maximise (f030) nor size (f000) entry; move, minimise, close stay.
sysmenu=",$(drv probe "$MAIN" sysmenu | field ids),"
has() { [[ $sysmenu == *",$1,"* ]] && echo yes || echo no; }
check "the system menu has no maximise (f030) nor size (f000) entry; move, minimise, close stay" \
    "no no yes yes yes" "$(has f030) $(has f000) $(has f010) $(has f020) $(has f060)"
check "the caption icon is the program's icon (big), no small one" "app none" \
    "$(drv probe "$MAIN" icons | field big) $(drv probe "$MAIN" icons | field small)"
check "the menu bar: Help with help, version, separator, exit" \
    "0,0,popup 1,$ID_HELP,command 1,$ID_ABOUT,command 1,0,separator 1,$ID_EXIT,command " \
    "$(drv probe "$MAIN" menu | sed -n 's/^item=//p' | tr '\n' ' ')"
check "at start the start button is enabled and the status empty" "1 " \
    "$(itemenabled "$MAIN" $IDC_START) $(itemtext "$MAIN" $IDC_STATUS)"

# The keyboard: Tab walks the controls in template order and wraps, through the thread's
# dialog navigation.
walk="$(windowfield "$MAIN" focus) "
for _ in 1 2 3 4 5; do
    press $VK_TAB
    walk+="$(windowfield "$MAIN" focus) "
done
check "Tab moves the focus from the input name along the tab order" \
    "$IDC_INPUT_NAME $IDC_INPUT_BROWSE $IDC_OUTPUT_NAME $IDC_OUTPUT_BROWSE $IDC_START $IDC_INPUT_NAME " "$walk"

settext "$MAIN" $IDC_INPUT_NAME 'C:\Music\take1.wav'
settext "$MAIN" $IDC_OUTPUT_NAME 'C:\Music\take1-quillplay.wav'
# The focus on a button: no blinking caret in the picture.
focus_on "$MAIN" $IDC_START || true
screenshot "$MAIN" main-dialog

# --- a second start opens a second, independent dialog ------------------------------------
first=$MAIN
first_pid=$PID
OTHERS=$first start_program
check "a second start opens a second main dialog" 2 "$(drv count main - | field count)"
close_program
check "the second one closes on its own, the first stays" "0 1" \
    "$STATUS $(drv count main - | field count)"
MAIN=$first PID=$first_pid
close_program
check "the first exits with code 0" 0 "$STATUS"

# --- started minimised by the shell ---------------------------------------------------------
# The start command that the system passes is not used: the dialog is shown plainly.
LAUNCH="start /wait /min /unix" start_program
window=$(drv window "$MAIN")
check "started minimised by the shell, it is still shown, not minimised" "1 0" \
    "$(field visible <<<"$window") $(field iconic <<<"$window")"
close_program
check "and exits with code 0 (through the shell's start)" 0 "$STATUS"

# --- a saved placement ----------------------------------------------------------------------
# The rectangle is used; a saved maximized state does not maximise the dialog; nothing is
# stored at close.
saved="100,80,$((100 + width)),$((80 + height))"
save_position 100 80 $((100 + width)) $((80 + height)) 1
start_program
window=$(drv window "$MAIN")
check "with a saved maximized placement it appears at the rectangle, not maximised" "$saved 0" \
    "$(field rect <<<"$window") $(field zoomed <<<"$window")"
close_program
check "closing stores no position: the saved value stays as it was" 0x64 \
    "$(reg_get HKCU MainWindowPos.left)"
reg_clear
finish
