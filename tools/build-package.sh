#!/usr/bin/env bash
# Builds the Debian package with Debian's own tools, dpkg-buildpackage -b, and puts the .deb and its
# .changes and .buildinfo into OUTPUT (default: the repository's root):
#     tools/build-package.sh [OUTPUT]
# The build runs in a copy of the working tree's files (tracked, and new ones git does not ignore)
# in a temp dir, so that it leaves nothing in the tree and no build directory of the tree gets in.
# Its log is OUTPUT/tarbalun-package.log.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="$(mkdir -p "${1:-$repo}" && cd "${1:-$repo}" && pwd)"
for tool in dpkg-buildpackage dh git; do
  command -v "$tool" > /dev/null || { echo "build-package: $tool is missing (tools/setup.sh installs it)" >&2; exit 1; }
done

work="$(mktemp -d -t tarbalun-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/tarbalun"
# Files deleted in the working tree but still in git's index are left out.
(cd "$repo" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [[ -e $file || -L $file ]] && printf '%s\0' "$file"; done |
  tar --null -T - -cf -) | tar -xf - -C "$work/tarbalun"

log="$output/tarbalun-package.log"
echo "build-package: building in $work (log: $log)"
# No separate debug-symbols package: a family installs the program alone.
if ! (cd "$work/tarbalun" && DEB_BUILD_OPTIONS="parallel=$(nproc) noddebs ${DEB_BUILD_OPTIONS:-}" \
      dpkg-buildpackage -b -us -uc) > "$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "build-package: dpkg-buildpackage failed; the whole log is $log" >&2
  exit 1
fi
rm -f "$output"/tarbalun_*.deb "$output"/tarbalun_*.changes "$output"/tarbalun_*.buildinfo
mv "$work"/tarbalun_*.deb "$work"/tarbalun_*.changes "$work"/tarbalun_*.buildinfo "$output"/
ls "$output"/tarbalun_*.deb
