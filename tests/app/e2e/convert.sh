#!/usr/bin/env bash
# Converting from the main dialog: the canonical file and no message on success, also over an
# existing file and with double-byte names; one failure's message box with its text, code
# suffix, icon, owner and caption, and the busy state meanwhile; the name checks; a name cut to
# its buffer; Enter and Esc.
. "$(dirname "$0")/lib.sh"

reg_clear
start_program

# convert INPUT OUTPUT: types both names (Windows paths, any characters of code page 932) and
# clicks Start.
convert() {
    settext "$MAIN" $IDC_INPUT_NAME "$1"
    settext "$MAIN" $IDC_OUTPUT_NAME "$2"
    click "$MAIN" $IDC_START
}
idle() { drv wait-idle "$MAIN" "$WAIT_MS" >/dev/null; }
no_box() { ! find_box "$MAIN" 300 2>/dev/null; }
# converted DESCRIPTION INPUT OUTPUT OUTPUT_FILE: converts; checks that no message came and
# that the output is the canonical file.
converted() {
    convert "$2" "$3"
    check_true "$1: the conversion ends" idle
    check_true "$1: no message" no_box
    check_true "$1: the output is the canonical file" cmp -s "$4" "$WORK/expected.wav"
}

# expect_box DESCRIPTION TEXT_HEX ICON: a message box owned by the dialog must be up; checks
# it, closes it with OK and checks that the dialog is idle again.
expect_box() {
    local icon=none
    if ! find_box "$MAIN"; then
        check "$1: a message box appears" yes no
        return 0
    fi
    if [ -n "$(field iconcontrol <<<"$BOX")" ]; then
        icon=$(drv probe "$BOXHWND" staticicon "$(field iconcontrol <<<"$BOX")" | field icon)
    fi
    check "$1: text $(decode "$2"), icon $3" "$2 $3" "$(field message <<<"$BOX") $icon"
    check "$1: captioned Sonorm, owned by the dialog" "$(asciihex Sonorm) $MAIN" \
        "$(field text <<<"$BOX") $(field owner <<<"$BOX")"
    close_box "$BOXHWND"
    check_true "$1: afterwards the start button is enabled and the status empty" idle
}

# --- inputs: 4000 bytes of samples after an 18-byte "fmt " body, LIST and fact chunks ------
head -c 4000 /dev/urandom >"$WORK/data.bin"
{
    unhex '52494646 de0f0000 57415645 666d7420 12000000 0100 0200 44ac0000 10b10200 0400 1000
           0000 4c495354 04000000 494e464f 66616374 04000000 e8030000 64617461 a00f0000'
    cat "$WORK/data.bin"
} >"$WORK/good.wav"
{
    unhex '52494646 c40f0000 57415645 666d7420 10000000 0100 0200 44ac0000 10b10200 0400 1000
           64617461 a00f0000'
    cat "$WORK/data.bin"
} >"$WORK/expected.wav"
{ printf 'RIFX'; tail -c +5 "$WORK/good.wav"; } >"$WORK/rifx.wav"
W=$(winpath "$WORK")

# --- successful conversions -----------------------------------------------------------------
converted "plain" "$W\\good.wav" "$W\\out.wav" "$WORK/out.wav"
head -c 100000 /dev/urandom >"$WORK/out.wav"
converted "over a longer existing output" "$W\\good.wav" "$W\\out.wav" "$WORK/out.wav"
# Double-byte names whose second byte is a backslash (0x5C) in code page 932.
cp "$WORK/good.wav" "$WORK/表示.wav"
converted "double-byte names" "$W\\表示.wav" "$W\\能力.wav" "$WORK/能力.wav"
# A name longer than 259 characters is read as its first 259.
prefix="$W\\"
long=$prefix$(printf 'n%.0s' $(seq $((259 - ${#prefix} - 4)))).wav
converted "an output name of 264 characters cut to its first 259" "$W\\good.wav" "${long}EXTRA" \
    "$WORK/${long#"$prefix"}"

# --- a failure: its message box, the busy state meanwhile ------------------------------------
convert "$W\\rifx.wav" "$W\\out-bad.wav"
find_box "$MAIN" || true
check "while the message is up the start button is disabled and the status reads 処理中..." \
    "0 $(cp932hex "$(stringtext 40020)")" \
    "$(itemenabled "$MAIN" $IDC_START) $(itemtext "$MAIN" $IDC_STATUS)"
expect_box "not RIFF" "$(cp932hex "$(stringtext 40009)")$(asciihex '[1,7,0,0]')" exclamation
check_true "no output is created for a rejected input" test ! -e "$WORK/out-bad.wav"

# --- the name checks: a box without code or icon ------------------------------------------
while IFS='|' read -r input output string description; do
    convert "$input" "$output"
    expect_box "$description" "$(cp932hex "$(stringtext "$string")")" none
done <<EOF
$W\\good.wav||40004|output name empty
$W\\good.wav|$W\\good.wav|40005|identical names
EOF

# --- Enter and Esc do nothing --------------------------------------------------------------
settext "$MAIN" $IDC_OUTPUT_NAME "$W\\out-keys.wav"
focus_on "$MAIN" $IDC_INPUT_NAME || true
press $VK_RETURN
press $VK_ESCAPE
check "Enter and Esc leave the dialog open and convert nothing" "1 no" \
    "$(windowfield "$MAIN" visible) $([ -e "$WORK/out-keys.wav" ] && echo yes || echo no)"
check_true "and show nothing" no_box

close_program
check "the program exits with code 0" 0 "$STATUS"
finish
