#!/usr/bin/env bash
# Makes the Debian package of the build, has Debian's package checker judge it (any error or
# warning fails), then unpacks its files into a scratch root and runs the programs from there.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
deb=$(echo "$work"/package/quenzar_*.deb)
if ! report=$(lintian --fail-on error,warning "$deb" 2>"$work/lintian.log") || [ -n "$report" ]; then
    echo "lintian on $(basename "$deb"):" >&2
    cat "$work/lintian.log" >&2
    echo "$report" >&2
    exit 1
fi

dpkg-deb -x "$deb" "$work/root"
bash "$(dirname "$0")/run-installed.sh" "$work/root/usr" "$source"
