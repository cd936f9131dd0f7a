#!/bin/bash
# The package unpacked (dpkg-deb -x) into a temp dir and started there through its bin link, under
# the end-to-end rig:
#     bash tests/package/run_unpacked.sh PACKAGE_DIR OUTPUT
# The checks are installed_program.sh's; its screenshots go to OUTPUT/e2e-shots/installed_program/.
set -euo pipefail
debs=("${1:?the package directory is the first argument}"/tarbalun_*.deb)
[[ -f ${debs[0]} && ${#debs[@]} == 1 ]] || { echo "FAIL: no single package in $1" >&2; exit 1; }
root=$(mktemp -d -t tarbalun-unpacked.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "${debs[0]}" "$root"
status=0
bash "$(dirname "${BASH_SOURCE[0]}")/installed_program.sh" "$root" "${2:?the output directory is the second argument}" || status=$?
exit "$status"
