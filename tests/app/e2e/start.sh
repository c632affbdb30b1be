#!/usr/bin/env bash
# Starting the program: the main dialog as it first appears, where it appears, its menus,
# icon and keyboard order; a second start; the main dialog's screenshot.
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
sysmenu=" $(drv probe "$MAIN" sysmenu | field ids | tr , ' ') "
for id in f030 f000 f010 f020 f060; do
    case $id in f030 | f000) want=no ;; *) want=yes ;; esac
    check "the system menu has entry $id: $want" $want "$([[ $sysmenu == *" $id "* ]] && echo yes || echo no)"
done

icons=$(drv probe "$MAIN" icons)
check "the caption icon is the program's icon (big)" app "$(field big <<<"$icons")"
check "no small icon is set" none "$(field small <<<"$icons")"

# The menu bar is the template's (ResourcesTest): Help with help, version, separator, exit.
check "the dialog has the menu bar of its template" \
    "0,0,popup 1,40003,command 1,40001,command 1,0,separator 1,40002,command " \
    "$(drv probe "$MAIN" menu | sed -n 's/^item=//p' | tr '\n' ' ')"

# The controls themselves are those of the template (ResourcesTest).
check "at start the start button is enabled and the status empty" "1 " \
    "$(itemenabled "$MAIN" $IDC_START) $(itemtext "$MAIN" $IDC_STATUS)"
check "tab order: input name, browse, output name, browse, start" \
    "1001,1002,1003,1004,1005" "$(drv taborder "$MAIN" | field ids)"

# The keyboard: Tab walks the same order and wraps, through the thread's dialog navigation.
check "the input name has the focus at start" 1001 "$(windowfield "$MAIN" focus)"
walk=
for _ in 1 2 3 4 5; do
    press $VK_TAB
    walk+="$(windowfield "$MAIN" focus) "
done
check "Tab moves the focus along the tab order" "1002 1003 1004 1005 1001 " "$walk"

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
check "the second one closes on its own" 1 "$(drv count main - | field count)"
MAIN=$first PID=$first_pid
check "the first one is still shown" 1 "$(windowfield "$MAIN" visible)"
close_program
check "and exits with code 0" 0 "$STATUS"

# --- started minimised by the shell ---------------------------------------------------------
# The start command that the system passes is not used: the dialog is shown plainly.
LAUNCH="start /wait /min /unix" start_program
window=$(drv window "$MAIN")
check "started minimised by the shell, it is still shown, not minimised" "1 0" \
    "$(field visible <<<"$window") $(field iconic <<<"$window")"
close_program
check "and exits with code 0 (through the shell's start)" 0 "$STATUS"

# --- saved placements ----------------------------------------------------------------------
# start_at LEFT TOP RIGHT BOTTOM MAXIMIZED: starts with these values saved; prints the rect.
start_at() {
    reg_clear
    save_position "$@"
    start_program
    window=$(drv window "$MAIN")
}

start_at 100 80 $((100 + width)) $((80 + height)) 0
check "it appears at the saved rectangle" "100,80,$((100 + width)),$((80 + height))" "$(field rect <<<"$window")"
drv move "$MAIN" 300 250 >/dev/null
check "moved by the user" "300,250" "$(windowfield "$MAIN" rect | cut -d, -f1,2)"
close_program
start_program
check "started again, it is back at the saved rectangle, not where it was moved" \
    "100,80,$((100 + width)),$((80 + height))" "$(windowfield "$MAIN" rect)"
close_program

start_at 40 50 $((40 + width)) $((50 + height)) 1
check "a saved maximized state does not maximise it" 0 "$(field zoomed <<<"$window")"
check "and it still appears at the saved rectangle" "40,50,$((40 + width)),$((50 + height))" \
    "$(field rect <<<"$window")"
close_program

start_at -2000 100 $((-2000 + width)) $((100 + height)) 0
check_true "a rectangle off the screen is not applied: centred" centred "$(field rect <<<"$window")"
close_program

check "closing stores no position: the saved values stay as they were" "-2000 100" \
    "$(drv reg-get HKCU "$SETTINGS" MainWindowPos.left | field value) $(drv reg-get HKCU "$SETTINGS" MainWindowPos.top | field value)"
reg_clear
finish
