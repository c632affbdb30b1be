#!/usr/bin/env bash
# Ending the program: the close box, the menu's exit and the end of the session all end the
# process with exit code 0; the options deluser and delinfo delete their settings keys (and the
# parents left empty) at close, and only when given alone; power queries are granted; a
# program without its main dialog template ends silently with 0.
. "$(dirname "$0")/lib.sh"

PARENT='Software\Velquin'
SIBLING='Software\Velquin\Other'

# with_keys: both settings keys, with the five position values in the per-user one.
with_keys() {
    reg_clear
    save_position 0 0 0 0 0
    drv reg-set HKLM "$SETTINGS" MainWindowPos.left 0 >/dev/null
}

# --- the ways to close ----------------------------------------------------------------------
reg_clear
start_program
drv post "$MAIN" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
wait_exit
check "the close box ends the program with exit code 0" 0 "$STATUS"

start_program
drv command "$MAIN" $ID_EXIT >/dev/null
wait_exit
check "the menu's exit ends the program with exit code 0" 0 "$STATUS"

start_program
check "a query whether the system may suspend is granted" 1 \
    "$(drv send "$MAIN" $WM_POWERBROADCAST 0 0 | field result)"
check "another power event (a power status change) gets the default answer 0" 0 \
    "$(drv send "$MAIN" $WM_POWERBROADCAST 10 0 | field result)"
check "the program is still running afterwards" 1 "$(windowfield "$MAIN" visible)"
check "the end-of-session query is answered: the session may end" 1 \
    "$(drv send "$MAIN" $WM_QUERYENDSESSION 0 0 | field result)"
# The program may already be gone when the end of the session is announced.
drv send "$MAIN" $WM_ENDSESSION 1 0 >/dev/null 2>&1 || true
wait_exit
check "the end of the session ends the program with exit code 0" 0 "$STATUS"

# --- deleting the settings keys -------------------------------------------------------------
# run_with ARG...: starts with the arguments, checks the keys survive the run itself, and
# closes through the menu.
run_with() {
    start_program "$@"
    check "with $* the key is still there while the program runs" 1 "$(reg_exists HKCU "$SETTINGS")"
    close_program
    check "with $* the program exits with code 0" 0 "$STATUS"
}

with_keys
run_with /deluser
check "/deluser deletes the per-user key with its empty parents" 0 "$(reg_exists HKCU "$PARENT")"
check "and leaves the per-machine key" 1 "$(reg_exists HKLM "$SETTINGS")"

with_keys
drv reg-set HKCU "$SIBLING" Kept 1 >/dev/null
run_with -DELUSER
check "-DELUSER deletes the per-user key" 0 "$(reg_exists HKCU 'Software\Velquin\Sonorm')"
check "and stops at a parent that holds something else" 1 "$(reg_exists HKCU "$SIBLING")"

with_keys
run_with -DELINFO
check "-DELINFO deletes the per-machine key with its empty parents" 0 "$(reg_exists HKLM "$PARENT")"
check "and leaves the per-user key" 1 "$(reg_exists HKCU "$SETTINGS")"

with_keys
run_with /DelUser -delinfo
check "both options delete both keys" "0 0" "$(reg_exists HKCU "$PARENT") $(reg_exists HKLM "$PARENT")"

for option in /deluser=1 /deluser2 /delusers /del; do
    with_keys
    run_with "$option"
    check "$option deletes nothing" "1 1" "$(reg_exists HKCU "$SETTINGS") $(reg_exists HKLM "$SETTINGS")"
done

with_keys
start_program /deluser
drv send "$MAIN" $WM_QUERYENDSESSION 0 0 >/dev/null || true
wait_exit
check "the end of the session also runs the close actions" "0 0" "$STATUS $(reg_exists HKCU "$PARENT")"
reg_clear

# --- no main dialog template ------------------------------------------------------------------
without_resource "$WORK/bare/Bare.exe" 5 131
PROGRAM=$WORK/bare/Bare.exe start_program && STATUS="a main dialog"
check "without its main dialog template the program ends with exit code 0" 0 "$STATUS"
check "having shown nothing" 0 "$(drv count main - | field count)"
check_true "and no message" test -z "$(drv find title Bare 300 2>/dev/null)"
finish
