# The Debian package of sonorm-cli, packed as `make dist` packs it into a scratch folder: its
# fields, its files and lintian's verdict; then unpacked there with dpkg-deb -x, the tool and its
# manual page run from that folder. The host's package database is never touched.
# Usage: deb.sh BINARY_DIR PACKAGE VERSION
set -euo pipefail
bin=$1 package=$2 version=$3 arch=$(dpkg --print-architecture) work=$(mktemp -d) failures=0
deb=$work/out/${package}_${version}_$arch.deb root=$work/root
trap 'rm -rf "$work"' EXIT
check() { # DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then echo "ok   $1"; else
        printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" && failures=$((failures + 1))
    fi
}
cpack --config "$bin/CPackConfig.cmake" -B "$work/out" >"$work/log" || { cat "$work/log"; exit 1; }
check "cpack makes ${deb##*/} and nothing else" "$deb" "$(find "$work/out" -maxdepth 1 -type f)"
for field in "Package $package" "Version $version" "Architecture $arch"; do
    check "${field% *}" "${field#* }" "$(dpkg-deb -f "$deb" "${field% *}")"
done
check "Depends names libc6 and libstdc++6 with minimum versions" 2 \
    "$(dpkg-deb -f "$deb" Depends | grep -Eo '(^|, )(libc6|libstdc\+\+6) \(>= [0-9]' | wc -l)"
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort | xargs)
check "the tool, its manual page, the changelog and the copyright file" "./usr/bin/sonorm-cli \
./usr/share/doc/sonorm-cli/changelog.gz ./usr/share/doc/sonorm-cli/copyright \
./usr/share/man/man1/sonorm-cli.1.gz" "$files"
check "lintian reports no error and no warning" "status 0" \
    "$(lintian --fail-on error,warning "$deb" 2>&1 | grep -v '^running with root'; echo "status ${PIPESTATUS[0]}")"
dpkg-deb -x "$deb" "$root"
check "--version succeeds as the built tool's" "$("$bin/bin/sonorm-cli" --version 2>&1) 0" \
    "$("$root/usr/bin/sonorm-cli" --version 2>&1) $?"
check "the manual page formats" 1 \
    "$(man -P cat -l "$root/usr/share/man/man1/sonorm-cli.1.gz" 2>/dev/null | grep -c '^NAME')"
echo "dist.deb: $failures failed"
[ "$failures" -eq 0 ]
