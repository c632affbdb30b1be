#!/usr/bin/env bash
# Ending the program: the close box, the menu's exit and the end of the session all end the
# process with exit code 0; the options deluser and delinfo delete their settings keys (and the
# parents left empty) at close, and only when given alone; power queries are granted.
. "$(dirname "$0")/lib.sh"

PARENT='Software\Velquin'

# with_keys: both settings keys, with the five position values in the per-user one.
with_keys() {
    reg_clear
    save_position 0 0 0 0 0
    reg_set HKLM MainWindowPos.left 0
}

# --- the ways to close ----------------------------------------------------------------------
reg_clear
start_program
drv post "$MAIN" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
wait_exit
check "the close box ends the program with exit code 0" 0 "$STATUS"

start_program
check "a query whether the system may suspend is granted, another power event gets 0" "1 0" \
    "$(drv send "$MAIN" $WM_POWERBROADCAST 0 0 | field result) $(drv send "$MAIN" $WM_POWERBROADCAST 10 0 | field result)"
check "the end-of-session query is answered: the session may end" 1 \
    "$(drv send "$MAIN" $WM_QUERYENDSESSION 0 0 | field result)"
wait_exit
check "and the program ends with exit code 0" 0 "$STATUS"

# --- deleting the settings keys at close ----------------------------------------------------
# ARGS|PER-USER KEY LEFT|PER-MACHINE KEY LEFT (0 or 1 each, after the menu's exit)
while IFS='|' read -r args user machine; do
    with_keys
    # shellcheck disable=SC2086
    start_program $args
    check "with $args the key is still there while the program runs" 1 "$(reg_exists HKCU "$SETTINGS")"
    close_program
    check "with $args the program exits with code 0; keys left: $user $machine" "0 $user $machine" \
        "$STATUS $(reg_exists HKCU "$PARENT") $(reg_exists HKLM "$PARENT")"
done <<'EOF'
/deluser|0|1
-DELINFO|1|0
/DelUser -delinfo|0|0
/deluser=1|1|1
EOF

with_keys
start_program /deluser
drv send "$MAIN" $WM_QUERYENDSESSION 0 0 >/dev/null || true
wait_exit
check "the end of the session also runs the close actions" "0 0" "$STATUS $(reg_exists HKCU "$PARENT")"
reg_clear
finish
