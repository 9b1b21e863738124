#!/usr/bin/env bash
# Builds the packages and checks what they hold: the Debian package from the
# Linux build folder (its file list, and that installing it gives a working
# korrimatic and `man korrimatic`), and the zip from the Windows build folder.
# Usage: packaging/check-packages.sh [LINUX_BUILD] [WINDOWS_BUILD] [--install]
# Either folder may be "-" to skip it. With --install (as root, on a machine
# without the package) the package is installed, tried and removed again.
set -euo pipefail
cd "$(dirname "$0")/.."
linux=${1:-build}
windows=${2:--}
install=${3:-}
fail() { echo "check-packages: $*" >&2; exit 1; }

if [ "$linux" != "-" ]; then
    (cd "$linux" && cpack -G DEB >/dev/null 2>&1) || fail "cpack could not make the Debian package"
    deb=$(ls "$linux"/korrimatic_*.deb)
    list=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for f in ./usr/bin/korrimatic ./usr/share/man/man1/korrimatic.1.gz \
             ./usr/bin/korrimap ./usr/share/man/man1/korrimap.1.gz \
             ./usr/share/doc/korrimatic/copyright ./usr/share/doc/korrimatic/changelog.gz \
             ./usr/share/doc/korrimatic/examples/station.cfg ./usr/share/doc/korrimatic/examples/station.rul \
             ./usr/share/doc/korrimatic/examples/korrimatic-sample.hex; do
        grep -qxF "$f" <<<"$list" || fail "$deb lacks $f"
    done
    # Debian's own checks: no error and no warning. Left at the level of
    # information, each for its reason:
    # - binary-has-unneeded-section .comment: the compiler's version note,
    #   which CPack's strip keeps; harmless.
    # - hardening-no-bindnow, hardening-no-fortify-functions: the build uses
    #   the project's flags, not dpkg-buildflags'.
    # - spelling-error-in-binary Lon Long: "Lat and Lon" is the command
    #   summary's fixed text.
    if command -v lintian >/dev/null; then
        lintian --fail-on error,warning "$deb" || fail "lintian finds errors or warnings in $deb"
    else
        fail "lintian is not installed (Debian package lintian)"
    fi
    warnings=$(man --warnings -l man/korrimatic.1 man/korrimap.1 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the man page renders with warnings: $warnings"
    if [ "$install" = --install ] && [ "$(id -u)" -eq 0 ] && ! dpkg-query -W korrimatic >/dev/null 2>&1; then
        dpkg -i "$deb" >/dev/null
        trap 'dpkg -r korrimatic >/dev/null' EXIT
        /usr/bin/korrimatic --version | grep "Version 2.4a" >/dev/null || fail "the installed korrimatic does not run"
        [ "$(printf 'exit\n' | /usr/bin/korrimatic >/dev/null; echo $?)" = 0 ] || fail "the installed korrimatic fails"
        /usr/bin/korrimatic --check /usr/share/doc/korrimatic/examples/station.cfg \
            /usr/share/doc/korrimatic/examples/station.rul || fail "the installed korrimatic --check fails"
        /usr/bin/korrimap --check /usr/share/doc/korrimatic/examples/station.cfg \
            /usr/share/doc/korrimatic/examples/station.rul || fail "the installed korrimap fails"
        [ "$(man -w korrimap)" = /usr/share/man/man1/korrimap.1.gz ] || fail "man korrimap finds no page"
        [ "$(man -w korrimatic)" = /usr/share/man/man1/korrimatic.1.gz ] || fail "man korrimatic finds no page"
        man korrimatic 2>/dev/null | grep "EXIT STATUS" >/dev/null || fail "man korrimatic shows no page"
    fi
    echo "check-packages: $deb holds korrimatic, korrimap, their man pages, the examples, copyright and changelog; lintian is clean"
fi

if [ "$windows" != "-" ]; then
    (cd "$windows" && cpack -G ZIP >/dev/null 2>&1) || fail "cpack could not make the zip"
    zip=$(ls "$windows"/korrimatic-*-windows-x86_64.zip)
    top=$(basename "$zip" .zip)
    names=$(unzip -Z1 "$zip")
    texts="README.txt MANUAL.txt examples/station.cfg examples/station.rul examples/korrimatic-sample.hex"
    for f in korrimatic.exe $texts; do
        grep -qxF "$top/$f" <<<"$names" || fail "$zip lacks $top/$f"
    done
    for f in $texts; do
        [ -n "$(unzip -p "$zip" "$top/$f")" ] || fail "$f is empty"
        if unzip -p "$zip" "$top/$f" | grep -v $'\r$' >/dev/null; then fail "$f has lines without CR LF"; fi
    done
    echo "check-packages: $zip holds korrimatic.exe, README.txt, MANUAL.txt and the examples (CR LF)"
fi
