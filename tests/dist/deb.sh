# The Debian package of sonorm-cli, packed as `make dist` packs it into a scratch folder: its
# fields and files; then installed with dpkg -i, the installed tool and manual page run, and
# removed again, leaving nothing behind. Needs root (or sudo); refuses to touch a sonorm-cli
# that is already installed.
# Usage: deb.sh BINARY_DIR PACKAGE VERSION
set -euo pipefail
bin=$1 package=$2 version=$3 arch=$(dpkg --print-architecture) work=$(mktemp -d) failures=0
deb=$work/out/${package}_${version}_$arch.deb sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
installed=no
trap '[ $installed == no ] || dpkg_do -r "$package"; rm -rf "$work"' EXIT
check() { # DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then echo "ok   $1"; else
        printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" && failures=$((failures + 1))
    fi
}
dpkg_do() { # dpkg waits for no lock of its own: retry while another installation holds it
    for _ in $(seq 60); do
        $sudo dpkg "$@" >/dev/null 2>"$work/err" && return 0
        grep -q lock "$work/err" || break
        sleep 2
    done
    cat "$work/err" >&2 && return 1
}
status() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || echo not-installed; }
[ "$(status)" == not-installed ] || { echo "FAIL $package is installed here: remove it first"; exit 1; }
cpack --config "$bin/CPackConfig.cmake" -B "$work/out" >"$work/log" || { cat "$work/log"; exit 1; }
check "cpack makes ${deb##*/} and nothing else" "$deb" "$(find "$work/out" -maxdepth 1 -type f)"
for field in "Package $package" "Version $version" "Architecture $arch"; do
    check "${field% *}" "${field#* }" "$(dpkg-deb -f "$deb" "${field% *}")"
done
check "Depends names libc6 and libstdc++6 with minimum versions" 2 \
    "$(dpkg-deb -f "$deb" Depends | grep -Eo '(^|, )(libc6|libstdc\+\+6) \(>= [0-9]' | wc -l)"
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort | xargs)
check "the tool, its manual page and the copyright file" "./usr/bin/sonorm-cli \
./usr/share/doc/sonorm-cli/copyright ./usr/share/man/man1/sonorm-cli.1.gz" "$files"
installed=yes && dpkg_do -i "$deb"
check "dpkg -i installs it" installed "$(status)"
check "sonorm-cli is on the PATH" /usr/bin/sonorm-cli "$(command -v sonorm-cli)"
check "--version succeeds as the built tool's" "$("$bin/bin/sonorm-cli" --version 2>&1) 0" \
    "$(/usr/bin/sonorm-cli --version 2>&1) $?"
check "man -w finds the manual page" /usr/share/man/man1/sonorm-cli.1.gz "$(man -w sonorm-cli 2>&1)"
check "the manual page formats" 1 "$(man -P cat sonorm-cli 2>/dev/null | grep -c '^NAME')"
dpkg_do -r "$package" && installed=no
check "dpkg -r removes it, leaving nothing" "not-installed" \
    "$(status)$(for f in $files /usr/share/doc/sonorm-cli; do [ ! -e "${f#.}" ] || echo " ${f#.}"; done)"
echo "dist.deb: $failures failed"
[ "$failures" -eq 0 ]
