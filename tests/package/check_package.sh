#!/bin/bash
# The built package as Debian's and the desktops' checkers see it, and its tree beside the one
# cmake --install lays out:
#     bash tests/package/check_package.sh PACKAGE_DIR BUILD_DIR
# PACKAGE_DIR holds the .deb and its .changes (tools/build-package.sh); BUILD_DIR is a configured
# build of the same tree. lintian --pedantic reports no tag (overrides only with a written reason);
# desktop-file-validate and appstreamcli validate --no-net --pedantic report nothing; the package
# ships the same files and links as cmake --install, besides what Debian adds (usr/share/doc/tarbalun,
# the lintian overrides) and the compressed man page.
set -euo pipefail
package_dir=$(cd "${1:?the package directory is the first argument}" && pwd)
build=$(cd "${2:?the build directory is the second argument}" && pwd)
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
for tool in lintian desktop-file-validate appstreamcli dpkg-deb cmake; do
    command -v "$tool" >/dev/null || fail "the tool '$tool' is missing"
done
debs=("$package_dir"/tarbalun_*.deb)
changes=("$package_dir"/tarbalun_*.changes)
[[ -f ${debs[0]} && ${#debs[@]} == 1 && -f ${changes[0]} ]] || fail "no single package and .changes in $package_dir"
work=$(mktemp -d -t tarbalun-check-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "lintian --pedantic ${changes[0]##*/}"
# lintian exits non-zero on the tags named; with --pedantic every tag it knows is one of these.
# Its tags go to stdout; stderr carries its own notes, such as running as root.
lintian --pedantic --display-info --fail-on error,warning,info,pedantic "${changes[0]}" \
    >"$work/lintian.txt" 2>"$work/lintian.err" ||
    fail "lintian reports: $(cat "$work/lintian.txt" "$work/lintian.err")"
[[ ! -s $work/lintian.txt ]] || fail "lintian reports: $(cat "$work/lintian.txt")"

dpkg-deb -x "${debs[0]}" "$work/deb"
entries=("$work"/deb/usr/share/applications/*.desktop)
metainfo=("$work"/deb/usr/share/metainfo/*.metainfo.xml)
[[ -f ${entries[0]} && ${#entries[@]} == 1 ]] || fail "the package holds ${#entries[@]} desktop entries, not one"
[[ -f ${metainfo[0]} && ${#metainfo[@]} == 1 ]] || fail "the package holds ${#metainfo[@]} metainfo files, not one"
id=$(basename "${entries[0]}" .desktop)
[[ ${metainfo[0]##*/} == "$id.metainfo.xml" ]] || fail "the metainfo ${metainfo[0]##*/} is not named after the entry $id"

echo "desktop-file-validate ${entries[0]##*/}"
out=$(desktop-file-validate "${entries[0]}" 2>&1) || fail "desktop-file-validate reports: $out"
[[ -z $out ]] || fail "desktop-file-validate reports: $out"
echo "appstreamcli validate --no-net --pedantic ${metainfo[0]##*/}"
out=$(appstreamcli validate --no-net --pedantic --no-color "${metainfo[0]}" 2>&1) ||
    fail "appstreamcli reports: $out"
# Every issue is a line "E: ", "W: ", "I: " or "P: ". The default id lies under the reserved
# .example domain, which the validator does not know as a top-level domain; it says so and no more.
issues=$(grep -E '^[EWIP]: ' <<<"$out" || true)
[[ $id == example.* ]] && issues=$(grep -vx "I: $id:[0-9]*: cid-maybe-not-rdns $id" <<<"$issues" || true)
[[ -z $issues ]] || fail "appstreamcli reports: $out"

# The icons are named by the id, at every size, and the version the package carries is the one the
# metainfo's release gives.
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
    icon=$work/deb/usr/share/icons/hicolor/$size/apps/$id.png
    [[ -f $icon ]] || fail "no $size icon $id.png"
    [[ $(identify -format '%wx%h' "$icon") == "$size" ]] || fail "the $size icon is $(identify -format '%wx%h' "$icon")"
done
[[ -f $work/deb/usr/share/icons/hicolor/scalable/apps/$id.svg ]] || fail "no scalable icon $id.svg"
version=$(dpkg-deb -f "${debs[0]}" Version)
grep -q "<release version=\"${version%-*}\"" "${metainfo[0]}" ||
    fail "the metainfo has no release ${version%-*}, the package's upstream version"

# The screenshot the metainfo points at is the tree's desktop/screenshot.png, at the size it gives.
shot=$(dirname "${BASH_SOURCE[0]}")/../../desktop/screenshot.png
shot_size=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*|\1x\2|p' "${metainfo[0]}")
[[ -n $shot_size && $(identify -format '%wx%h' "$shot") == "$shot_size" ]] ||
    fail "desktop/screenshot.png is not the $shot_size picture the metainfo announces"

# The same tree as cmake --install, names and link targets.
DESTDIR=$work/cmake cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$work/install.log")"
listing() { (cd "$1" && find . -mindepth 1 ! -type d -printf '%p %y %l\n' | sed 's|^\./||' | sort); }
listing "$work/cmake" >"$work/cmake.txt"
listing "$work/deb" | grep -Ev '^usr/share/(doc/tarbalun/|lintian/overrides/tarbalun )' | sed 's|^\(usr/share/man/.*\)\.gz |\1 |' >"$work/deb.txt"
diff -u "$work/cmake.txt" "$work/deb.txt" >"$work/tree.diff" ||
    fail "cmake --install (-) and the package (+) differ: $(cat "$work/tree.diff")"
echo "passed: $(wc -l <"$work/deb.txt") files and links, the same as cmake --install lays out"
