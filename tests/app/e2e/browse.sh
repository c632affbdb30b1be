#!/usr/bin/env bash
# The browse buttons: the system's open and save dialogs, owned by the main dialog, starting
# from the field's text with the Wave filter; a chosen file replaces the whole field, a
# cancelled one leaves it; the open dialog wants an existing file, the save dialog asks before
# overwriting one, and a name without extension gets ".wav".
. "$(dirname "$0")/lib.sh"

FILE_NAME=1148 # the file name box of the system's file dialogs
FILE_TYPE=1136 # their file type list

reg_clear
start_program
W=$(winpath "$WORK")
printf 'RIFF' >"$WORK/exists.wav"

# browse BUTTON: clicks it and waits for the file dialog; sets FD.
browse() {
    FD=
    click "$MAIN" "$1"
    find_box "$MAIN" || return 1
    FD=$BOXHWND
    # The dialog is ready once its file name box exists.
    wait_until drv item "$FD" $FILE_NAME >/dev/null 2>&1
}

# choose NAME: types NAME into the file dialog and presses its OK button.
choose() {
    settext "$FD" $FILE_NAME "$1"
    drv command "$FD" $IDOK >/dev/null
}

field_is() { check "$1" "$(cp932hex "$2")" "$(itemtext "$MAIN" "$3")"; }

# --- the open dialog ------------------------------------------------------------------------
settext "$MAIN" $IDC_INPUT_NAME "$W\\start.wav"
check_true "the input browse button opens a dialog owned by the main dialog" browse $IDC_INPUT_BROWSE
check "which starts from the field's name" "$(asciihex start.wav)" "$(itemtext "$FD" $FILE_NAME)"
check "and shows Wave files first" "$(asciihex 'Wave (*.wav)')" "$(itemtext "$FD" $FILE_TYPE)"
check "the main dialog is disabled meanwhile" 0 "$(windowfield "$MAIN" enabled)"
choose "$W\\exists.wav"
drv wait-gone "$FD" "$WAIT_MS" >/dev/null || true
field_is "a chosen file replaces the field with its full path" "$W\\exists.wav" $IDC_INPUT_NAME
check "the main dialog is enabled again" 1 "$(windowfield "$MAIN" enabled)"

browse $IDC_INPUT_BROWSE || true
close_box "$FD" $IDCANCEL
field_is "cancelling leaves the field as it was" "$W\\exists.wav" $IDC_INPUT_NAME

browse $IDC_INPUT_BROWSE || true
choose "$W\\missing.wav"
answer_box "$FD" $IDOK "a file that does not exist is refused with a message"
check "and the open dialog stays" 1 "$(windowfield "$FD" visible)"
close_box "$FD" $IDCANCEL
field_is "the field keeps its name" "$W\\exists.wav" $IDC_INPUT_NAME

# --- the save dialog ------------------------------------------------------------------------
check_true "the output browse button opens a dialog owned by the main dialog" browse $IDC_OUTPUT_BROWSE
choose "$W\\exists.wav"
answer_box "$FD" $IDYES "an existing file is asked about before it is chosen"
drv wait-gone "$FD" "$WAIT_MS" >/dev/null || true
field_is "the answer yes chooses it" "$W\\exists.wav" $IDC_OUTPUT_NAME
check_true "choosing does not touch the file" test "$(cat "$WORK/exists.wav")" == RIFF

browse $IDC_OUTPUT_BROWSE || true
choose "$W\\fresh"
drv wait-gone "$FD" "$WAIT_MS" >/dev/null || true
field_is "a name without extension gets .wav" "$W\\fresh.wav" $IDC_OUTPUT_NAME
check_true "the file itself is not created by choosing it" test ! -e "$WORK/fresh.wav"

close_program
check "the program exits with code 0" 0 "$STATUS"
finish
