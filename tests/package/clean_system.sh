#!/bin/bash
# The package on a clean Debian 12: a throwaway root made by mmdebstrap, the package installed there
# by apt with everything it depends on, then the package's own test (debian/tests) run in that root
# by autopkgtest:
#     bash tests/package/clean_system.sh PACKAGE_DIR OUTPUT
# PACKAGE_DIR holds the .deb (tools/build-package.sh); autopkgtest's log and the test's screenshots
# go to OUTPUT/autopkgtest/. Needs root (mmdebstrap, chroot, mounts) and Debian's mirror; skips
# (status 77) when not run as root. Mounts live in a private mount namespace and end with it.
set -euo pipefail
package_dir=$(cd "${1:?the package directory is the first argument}" && pwd)
output=$(mkdir -p "${2:?the output directory is the second argument}" && cd "$2" && pwd)
source_tree=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
if (($(id -u) != 0)); then
    echo "SKIP: a throwaway Debian root needs root (mmdebstrap, chroot)" >&2
    exit 77
fi
for tool in mmdebstrap autopkgtest unshare; do
    command -v "$tool" >/dev/null || fail "the tool '$tool' is missing"
done
debs=("$package_dir"/tarbalun_*.deb)
[[ -f ${debs[0]} && ${#debs[@]} == 1 ]] || fail "no single package in $package_dir"
deb=${debs[0]}

work=$(mktemp -d -t tarbalun-clean-system.XXXXXX)
trap 'rm -rf "$work"' EXIT
root=$work/root
mirror=${TARBALUN_DEBIAN_MIRROR:-http://deb.debian.org}

echo "mmdebstrap: a Debian 12 root with apt, and ${deb##*/} installed by apt"
# The hooks run with the root's /proc and /dev mounted; apt resolves the package's dependencies
# from the mirror, as on a family's machine.
# The package lists stay, for autopkgtest's apt to install the test's dependencies.
mmdebstrap --variant=apt --include=apt-utils --skip=cleanup/apt/lists \
    --customize-hook="copy-in $deb /tmp" \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y /tmp/${deb##*/}" \
    --customize-hook="chroot \"\$1\" rm /tmp/${deb##*/}" \
    bookworm "$root" \
    "deb $mirror/debian bookworm main" \
    "deb $mirror/debian bookworm-updates main" \
    "deb $mirror/debian-security bookworm-security main" >"$work/mmdebstrap.log" 2>&1 ||
    fail "mmdebstrap failed: $(tail -n 30 "$work/mmdebstrap.log")"
[[ -x $root/usr/bin/tarbalun ]] || fail "apt did not install the program: $(tail -n 30 "$work/mmdebstrap.log")"

echo "autopkgtest in the root"
rm -rf "$output/autopkgtest"
# The tests run the installed program (--no-built-binaries: nothing is built from the source tree),
# which needs /proc, /dev and a /tmp of its own in the root.
status=0
# shellcheck disable=SC2016  # the inner script takes the root as its argument
unshare --mount --propagation private -- bash -c '
    set -e
    root=$1; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount -t sysfs sysfs "$root/sys"
    mount -t tmpfs tmpfs "$root/tmp"
    exec "$@"' bash "$root" \
    autopkgtest --no-built-binaries --output-dir "$output/autopkgtest" "$source_tree" -- chroot "$root" \
    >"$work/autopkgtest.log" 2>&1 || status=$?
cp "$work/autopkgtest.log" "$output/autopkgtest.log" 2>/dev/null || true
((status == 0)) || fail "autopkgtest ended with status $status: $(tail -n 40 "$work/autopkgtest.log")"
grep -E '^installed-program +PASS' "$output/autopkgtest/summary" ||
    fail "autopkgtest's summary: $(cat "$output/autopkgtest/summary" 2>/dev/null)"

echo "apt remove: every file and link the package installed goes"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get remove -y tarbalun >"$work/remove.log" 2>&1 ||
    fail "apt-get remove failed: $(tail -n 20 "$work/remove.log")"
left=()
while read -r path; do
    [[ -e $root/$path || -L $root/$path ]] && left+=("$path")
done < <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')
((${#left[@]} == 0)) || fail "after apt remove these are left: ${left[*]}"
