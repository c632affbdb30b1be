#!/usr/bin/env bash
# Converting from the main dialog: the canonical file and no message on success; the message
# box of each kind of failure with its text, code suffix, icon, owner and caption; the name
# checks; Enter and Esc; replacing, cutting and double-byte names.
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
# converted INPUT OUTPUT: convert, and wait for the end.
converted() {
    convert "$1" "$2"
    drv wait-idle "$MAIN" 10000 >/dev/null || true
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
    check "$1: text $(decode "$2")" "$2" "$(field message <<<"$BOX")"
    check "$1: icon $3" "$3" "$icon"
    check "$1: captioned Sonorm, owned by the dialog" "$(asciihex Sonorm) $MAIN" \
        "$(field text <<<"$BOX") $(field owner <<<"$BOX")"
    close_box "$BOXHWND"
    check_true "$1: afterwards the start button is enabled and the status empty" \
        drv wait-idle "$MAIN" 5000
}
# expect_text DESCRIPTION STRING_ID [SUFFIX [ICON]]: expect_box with a string-table text.
expect_text() {
    expect_box "$1" "$(cp932hex "$(stringtext "$2")")$(asciihex "${3:-}")" "${4:-exclamation}"
}

no_box() { ! find_box "$MAIN" 300 2>/dev/null; }

# --- inputs --------------------------------------------------------------------------------
head -c 4000 /dev/urandom >"$WORK/data.bin"
{
    { fmtbody 1 2 44100 16; printf '\0\0'; } | chunk 'fmt '
    le32 1000 | chunk fact
    printf 'INFOISFT\x02\0\0\0x\0' | chunk LIST
    chunk data <"$WORK/data.bin"
} | riff >"$WORK/good.wav"
{
    fmtchunk 1 2 44100 16
    chunk data <"$WORK/data.bin"
} | riff >"$WORK/expected.wav"
W=$(winpath "$WORK")

# --- a successful conversion ---------------------------------------------------------------
convert "$W\\good.wav" "$W\\out.wav"
check_true "conversion ends: start enabled, status empty" drv wait-idle "$MAIN" 10000
check_true "success shows no message" no_box
check_true "the output is the canonical file (44-byte header, same samples, no other chunks)" \
    cmp -s "$WORK/out.wav" "$WORK/expected.wav"

# An existing output is replaced without a question, and cut to its new length.
head -c 100000 /dev/urandom >"$WORK/out.wav"
converted "$W\\good.wav" "$W\\out.wav"
check_true "an existing output is replaced without a question" no_box
check_true "and holds exactly the canonical file" cmp -s "$WORK/out.wav" "$WORK/expected.wav"

# Double-byte names whose second byte is a backslash (0x5C) in code page 932.
cp "$WORK/good.wav" "$WORK/表示.wav"
converted "$W\\表示.wav" "$W\\能力.wav"
check_true "double-byte file names convert" cmp -s "$WORK/能力.wav" "$WORK/expected.wav"

# --- failures: the message box of each ------------------------------------------------------
# bad_input NAME: writes a file with one field spoiled; the output name is out-bad.wav.
{ printf 'RIFX'; tail -c +5 "$WORK/good.wav"; } >"$WORK/rifx.wav"
{ fmtchunk 1 3 44100 16; chunk data <"$WORK/data.bin"; } | riff >"$WORK/channels3.wav"
{ fmtchunk 1 2 44100 24; chunk data <"$WORK/data.bin"; } | riff >"$WORK/bits24.wav"
{ fmtchunk 3 2 44100 32; chunk data <"$WORK/data.bin"; } | riff >"$WORK/float.wav"
{ fmtchunk 1 2 0 16; chunk data <"$WORK/data.bin"; } | riff >"$WORK/rate0.wav"
{ fmtchunk 1 2 44100 16; chunk data </dev/null; } | riff >"$WORK/empty.wav"

# The first failure also shows the busy state while its message is up.
convert "$W\\rifx.wav" "$W\\out-bad.wav"
find_box "$MAIN" || true
check "while the message is up the start button is disabled" 0 "$(itemenabled "$MAIN" $IDC_START)"
check "and the status reads 処理中..." "$(cp932hex "$(stringtext 40020)")" "$(itemtext "$MAIN" $IDC_STATUS)"
expect_text "not RIFF" 40009 '[1,7,0,0]'

while IFS='|' read -r file string suffix description; do
    convert "$W\\$file" "$W\\out-bad.wav"
    expect_text "$description" "$string" "$suffix"
done <<'EOF'
channels3.wav|40012|[1,14,0,0]|three channels
bits24.wav|40013|[1,15,0,0]|24 bits per sample
float.wav|40011|[1,13,0,0]|not PCM
rate0.wav|40014|[1,16,0,0]|sample rate 0
empty.wav|40015|[1,17,0,0]|no samples
EOF
check_true "no output is created for a rejected input" test ! -e "$WORK/out-bad.wav"

# A system error: the system's own text, a blank, the suffix, and the stop icon.
convert "$W\\missing.wav" "$W\\out-bad.wav"
expect_box "input not found" "$(drv systext 2 | field text)$(asciihex ' [1,5,1,2]')" hand

convert "$W\\good.wav" "$W\\no-such-folder\\out.wav"
expect_text "output folder missing" 40006 '[1,1,1,3]' hand

# Two spellings of one file pass the name check; the reader holds the input, so the writer
# cannot create it and the input stays as it was.
cp "$WORK/good.wav" "$WORK/same.wav"
convert "$W\\same.wav" "$W\\SAME.WAV"
expect_text "output is the input in other letter case" 40006 '[1,1,1,32]' hand
check_true "and the input is unchanged" cmp -s "$WORK/same.wav" "$WORK/good.wav"

# --- the name checks ------------------------------------------------------------------------
while IFS='|' read -r input output string description; do
    convert "$input" "$output"
    expect_text "$description" "$string" '' none
done <<EOF
||40004|both names empty
$W\\good.wav||40004|output name empty
|$W\\out2.wav|40004|input name empty
$W\\good.wav|$W\\good.wav|40005|identical names
EOF
check_true "the name checks convert nothing" test ! -e "$WORK/out2.wav"

# A name longer than 259 characters is read as its first 259.
prefix="$W\\"
long=$prefix$(printf 'n%.0s' $(seq $((259 - ${#prefix} - 4)))).wav
converted "$W\\good.wav" "${long}EXTRA"
check_true "an output name of 264 characters is cut to its first 259" \
    cmp -s "$WORK/${long#"$prefix"}" "$WORK/expected.wav"

# The convert command itself checks nothing: posted without Start, it runs with the names as
# they are, here two spellings of one file.
settext "$MAIN" $IDC_INPUT_NAME "$W\\same.wav"
settext "$MAIN" $IDC_OUTPUT_NAME "$W\\same.wav"
drv command "$MAIN" $IDC_STATUS >/dev/null
expect_text "convert command without Start" 40006 '[1,1,1,32]' hand

# --- Enter and Esc do nothing --------------------------------------------------------------
settext "$MAIN" $IDC_INPUT_NAME "$W\\good.wav"
settext "$MAIN" $IDC_OUTPUT_NAME "$W\\out-keys.wav"
check_true "the focus can be put on the input name" focus_on "$MAIN" $IDC_INPUT_NAME
for key in $VK_RETURN $VK_ESCAPE; do
    press "$key"
done
check "Enter and Esc leave the dialog open" 1 "$(windowfield "$MAIN" visible)"
check_true "and start nothing" test ! -e "$WORK/out-keys.wav"
check_true "and show nothing" no_box

close_program
check "the program exits with code 0" 0 "$STATUS"
finish
