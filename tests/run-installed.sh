#!/usr/bin/env bash
# Runs the programs installed in PREFIX on a copy of the examples, with the build tree out of every
# search path and PREFIX read-only: the installed layout must stand on its own. The install test
# gives it a `cmake --install` prefix, the package test the files of the Debian package.
set -euo pipefail
prefix=$1
source=$2
work=$(mktemp -d)
mounted=
cleanup() {
    [ -z "$mounted" ] || umount "$prefix"
    rm -rf "$work"
}
trap cleanup EXIT

cp -r "$source/examples" "$work/examples"
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/machine QT_QPA_PLATFORM=offscreen
unset LD_LIBRARY_PATH
if [ "$(id -u)" -eq 0 ] && mount --bind "$prefix" "$prefix" 2>/dev/null; then
    mounted=yes
    mount -o remount,bind,ro "$prefix"
fi

# The help of every language the window speaks, where the program looks for it.
for language in en fr de it es pt nl; do
    test -s "$prefix/share/quenzar/Help/$language.html" || { echo "no installed help page: $language" >&2; exit 1; }
done

# The icon the desktop scales is drawn by the program's own code at build time.
grep -q '<svg ' "$prefix/share/icons/hicolor/scalable/apps/quenzar.svg" || { echo "no scalable icon installed" >&2; exit 1; }

cli=$prefix/bin/quenzar-cli

# The nightly timer's service runs the quenzar-cli installed beside it (a package's root is /).
units=$prefix/share/systemd/user
test -s "$units/quenzar-backup@.timer" || { echo "no nightly timer installed" >&2; exit 1; }
program=$(sed -n 's/^ExecStart=\([^ ]*\) archive %f .*/\1/p' "$units/quenzar-backup@.service")
[[ -n "$program" && "$cli" == *"$program" ]] || { echo "the nightly service runs '$program', not $cli" >&2; exit 1; }
"$cli" --version | grep -q "libzip"

# bash completes the installed program's commands from its own help.
completion=$prefix/share/bash-completion/completions/quenzar-cli
test -s "$completion" || { echo "no bash completion installed" >&2; exit 1; }
completed=$(bash -c 'source "$1"; COMP_WORDS=("$2" hist); COMP_CWORD=1; _quenzar_cli; echo "${COMPREPLY[*]}"' _ "$completion" "$cli")
[ "$completed" = history ] || { echo "the installed completion gives '$completed' for 'hist'" >&2; exit 1; }
archive=$("$cli" archive "$work/examples/Inventory/Inventory.vbp" --dest "$work/out" --stamp 20240102030405 --quiet)
test -f "$archive"
folder=$("$cli" restore "$archive")
test -f "$folder/Forms/frmMain.frm"
test -f "$folder/FileNotInRootPath/--/Shared/CLog.cls"

# The window finds libPellund in its private library folder and its language files in
# share/quenzar/Lng; with a read-only prefix the language map goes to the user's folder. It must
# still be open when timeout ends it: a crash, or a sanitizer report in a sanitized build, ends it
# before.
status=0
messages=$(LANG=fr_FR.UTF-8 timeout 3 "$prefix/bin/quenzar" 2>&1) || status=$?
if [ "$status" -ne 124 ]; then
    echo "the installed window ended by itself (status $status): $messages" >&2
    exit 1
fi
if grep -q "no progress bars" <<<"$messages"; then
    echo "the installed window did not find libPellund: $messages" >&2
    exit 1
fi
test -f "$work/config/Quenzar/Local.ini" || test -f "$prefix/share/quenzar/Lng/Local.ini"
echo "installed programs archive, restore and start, with their help pages, from $prefix"
# Run from a writable prefix, the programs were not shown to stand on a read-only one: skipped
# (CTest's SKIP_RETURN_CODE), not passed.
if [ -z "$mounted" ]; then
    echo "skipped: the prefix stayed writable (mounting it read-only needs root)"
    exit 77
fi
