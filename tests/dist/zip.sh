# The Windows download: packs the zip the way `make dist` does, into a scratch folder, and checks
# that it holds exactly the two programs as built and tested in this tree, the help text and the
# read-me, both texts in code page 932 with CR LF line ends.
# Usage: zip.sh BINARY_DIR ZIP_NAME
set -euo pipefail
bin=$1 name=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then echo "ok   $description"; else echo "FAIL $description"; failures=$((failures + 1)); fi
}

cpack --config "$bin/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL cpack"
    exit 1
}
zip=$work/out/$name
check "cpack makes $name and nothing else" \
    test "$(cd "$work/out" && find . -maxdepth 1 -type f -printf '%f\n')" == "$name"
[ -f "$zip" ] || exit 1

# Unpacked where the user likes, the four files side by side, no folders.
expected=$(printf '%s\n' ReadMe.txt Sonorm.exe Sonorm.txt sonorm-cli.exe)
check "the zip holds exactly $(echo $expected)" test "$(unzip -Z1 "$zip" | sort)" == "$expected"

mkdir "$work/x"
unzip -q "$zip" -d "$work/x"
x=$work/x
for exe in Sonorm.exe sonorm-cli.exe; do
    check "$exe is the tested build of this tree, byte for byte" cmp -s "$x/$exe" "$bin/bin/$exe"
    check "$exe is a 32-bit Windows image" \
        test "$(i686-w64-mingw32-objdump -f "$x/$exe" | sed -n 's/.*file format //p')" == pei-i386
done

# A text as Notepad under code page 932 reads it: decodes as CP932, every line ends in CR LF,
# and says exactly what its UTF-8 source (identity strings filled in) says.
notepadtext() { # FILE UTF8SOURCE
    local text
    text=$(iconv -f CP932 -t UTF-8 "$1") || return 1
    [ "$(tr -cd '\n' <"$1" | wc -c)" -gt 0 ] || return 1
    ! grep -q $'[^\r]$\|^$' "$1" || return 1
    [ "$(tr -d '\r' <<<"$text")" == "$(cat "$2")" ]
}
check "Sonorm.txt is the help text in code page 932 with CR LF" \
    notepadtext "$x/Sonorm.txt" "$bin/app/Sonorm.utf8.txt"
check "ReadMe.txt is the read-me in code page 932 with CR LF" \
    notepadtext "$x/ReadMe.txt" "$bin/dist/ReadMe.utf8.txt"
# The identity strings were filled in (Version.h is their one source).
versionh=$(dirname "$0")/../../app/res/Version.h
version=$(sed -n 's/^#define SONORM_FILEVERSION "\(.*\)"$/\1/p' "$versionh")
firstline() { iconv -f CP932 -t UTF-8 "$1" | head -n 1 | tr -d '\r'; }
for text in ReadMe.txt Sonorm.txt; do
    check "$text names the program and version $version on its first line" \
        grep -Eqx "Sonorm バージョン $version( ヘルプ)?" <(firstline "$x/$text")
done

echo "dist.zip: $failures failed"
[ "$failures" -eq 0 ]
