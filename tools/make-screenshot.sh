#!/usr/bin/env bash
# Remakes desktop/screenshot.png, the picture the AppStream metainfo shows: the main window after
# the lesson for A, as the end-to-end rig sees it. Builds the default preset, installs it into a
# temp dir and runs tests/package/installed_program.sh there, which cuts the window out of its
# screen. Needs what the end-to-end tests need (tools/setup.sh test installs it).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
cmake --preset default > /dev/null
cmake --build --preset default
work="$(mktemp -d -t tarbalun-screenshot.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
DESTDIR="$work/root" cmake --install build --prefix /usr > /dev/null
bash tests/package/installed_program.sh "$work/root" "$work/out"
cp "$work/out/e2e-shots/installed_program/main-window.png" desktop/screenshot.png
ls -l desktop/screenshot.png
