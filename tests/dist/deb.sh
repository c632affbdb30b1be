# The Debian package of sonorm-cli: packs it the way `make dist` does, into a scratch folder,
# checks its fields and files, installs it with dpkg -i, runs the installed tool and its manual
# page, and removes it again, leaving nothing behind. Needs root (or sudo) for dpkg; refuses to
# touch a sonorm-cli that is already installed.
# Usage: deb.sh BINARY_DIR PACKAGE VERSION
set -euo pipefail
bin=$1 package=$2 version=$3
arch=$(dpkg --print-architecture)
name=${package}_${version}_$arch.deb
SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
work=$(mktemp -d)
installed=no
cleanup() {
    if [ $installed == yes ]; then dpkg_do -r "$package" >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() { # DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok   $1"
    else
        failures=$((failures + 1))
        printf 'FAIL %s\n       expected: %s\n       actual:   %s\n' "$1" "$2" "$3"
    fi
}
# dpkg waits for no lock of its own: retry while another installation holds it.
dpkg_do() {
    local attempt
    for attempt in $(seq 60); do
        if $SUDO dpkg "$@" 2>"$work/dpkg.err"; then return 0; fi
        grep -q 'lock' "$work/dpkg.err" || break
        sleep 2
    done
    cat "$work/dpkg.err" >&2
    return 1
}
status() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || echo not-installed; }

if [ "$(status)" != not-installed ]; then
    echo "FAIL $package is already installed here ($(status)); remove it before this test"
    exit 1
fi

cpack --config "$bin/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL cpack"
    exit 1
}
deb=$work/out/$name
check "cpack makes $name and nothing else" "$name" \
    "$(cd "$work/out" && find . -maxdepth 1 -type f -printf '%f\n')"
[ -f "$deb" ] || exit 1

field() { dpkg-deb -f "$deb" "$1"; }
check "Package" "$package" "$(field Package)"
check "Version" "$version" "$(field Version)"
check "Architecture" "$arch" "$(field Architecture)"
# dpkg-shlibdeps: the C and C++ runtimes the tool links, with their minimum versions.
depends=$(field Depends)
for lib in libc6 libstdc++6; do
    check "Depends names $lib with a minimum version" yes \
        "$(grep -Eq "(^|, )${lib//+/\\+} \(>= [0-9]" <<<"$depends" && echo yes || echo "no: $depends")"
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)
check "the package holds the tool, its manual page and the copyright file" \
    "$(printf '%s\n' ./usr/bin/sonorm-cli ./usr/share/doc/sonorm-cli/copyright \
        ./usr/share/man/man1/sonorm-cli.1.gz)" "$files"

dpkg_do -i "$deb" >/dev/null
installed=yes
check "dpkg -i installs it" installed "$(status)"
check "sonorm-cli is on the PATH" /usr/bin/sonorm-cli "$(command -v sonorm-cli)"
check "sonorm-cli --version prints what the built tool prints" \
    "$("$bin/bin/sonorm-cli" --version 2>&1)" "$(/usr/bin/sonorm-cli --version 2>&1)"
check "sonorm-cli --version succeeds" 0 "$(/usr/bin/sonorm-cli --version >/dev/null 2>&1; echo $?)"
check "man -w finds the installed manual page" /usr/share/man/man1/sonorm-cli.1.gz \
    "$(man -w sonorm-cli 2>&1)"
check "the manual page formats" yes \
    "$(man -P cat sonorm-cli 2>/dev/null | grep -q '^NAME' && echo yes || echo no)"

dpkg_do -r "$package" >/dev/null
installed=no
check "dpkg -r removes it" not-installed "$(status)"
left=()
for f in $files; do
    [ -e "${f#.}" ] && left+=("${f#.}")
done
[ -d /usr/share/doc/sonorm-cli ] && left+=(/usr/share/doc/sonorm-cli)
check "nothing of it is left" "" "${left[*]}"

echo "dist.deb: $failures failed"
[ "$failures" -eq 0 ]
