# The Windows download, packed as `make dist` packs it into a scratch folder: exactly the two
# programs as built and tested in this tree (32-bit), the help text and the read-me in code page
# 932 with CR LF line ends, saying what their UTF-8 sources say, identity strings filled in.
# Usage: zip.sh BINARY_DIR ZIP_NAME
set -euo pipefail
bin=$1 work=$(mktemp -d) failures=0
trap 'rm -rf "$work"' EXIT
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1" && failures=$((failures + 1)); fi; }
cpack --config "$bin/CPackConfig.cmake" -B "$work/out" >"$work/log" || { cat "$work/log"; exit 1; }
check "cpack makes $2 and nothing else" test "$(find "$work/out" -maxdepth 1 -type f)" == "$work/out/$2"
check "the zip holds the four files, no folders" test "$(unzip -Z1 "$work/out/$2" | sort | xargs)" \
    == "ReadMe.txt Sonorm.exe Sonorm.txt sonorm-cli.exe"
unzip -q "$work/out/$2" -d "$work/x"
for exe in Sonorm.exe sonorm-cli.exe; do
    check "$exe is the tested build, byte for byte" cmp -s "$work/x/$exe" "$bin/bin/$exe"
    check "$exe is a 32-bit Windows image" grep -q 'file format pei-i386$' \
        <(i686-w64-mingw32-objdump -f "$work/x/$exe")
done
version=$(sed -n 's/^#define SONORM_FILEVERSION "\(.*\)"$/\1/p' "$(dirname "$0")/../../app/res/Version.h")
notepad() { # FILE UTF8SOURCE: lines end in CR LF, CP932 decodes to the source, the first line names us
    iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' >"$1.utf8" && ! grep -q $'[^\r]$\|^$' "$1" &&
        cmp -s "$1.utf8" "$2" && head -n 1 "$1.utf8" | grep -Eqx "Sonorm バージョン $version( ヘルプ)?"
}
check "Sonorm.txt is the help text" notepad "$work/x/Sonorm.txt" "$bin/app/Sonorm.utf8.txt"
check "ReadMe.txt is the read-me" notepad "$work/x/ReadMe.txt" "$bin/dist/ReadMe.utf8.txt"
echo "dist.zip: $failures failed"
[ "$failures" -eq 0 ]
