#!/usr/bin/env bash
# Installs into a temporary prefix and runs the installed programs from there.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
bash "$(dirname "$0")/run-installed.sh" "$work/prefix" "$source"
