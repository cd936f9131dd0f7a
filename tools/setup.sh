#!/usr/bin/env bash
# Sets up a Debian 12 machine for the program and then does one thing with it:
#   tools/setup.sh run     install what is missing, build, start the program
#   tools/setup.sh test    install what is missing, build, run every test (unit, widget, end-to-end),
#                          then build again with the sanitizers and run the suite and short fuzz runs
#   tools/setup.sh fuzz [SECONDS]   the sanitizer build's fuzz harnesses, each for SECONDS (300)
#   tools/setup.sh bench   install what is missing, build optimised, run the benchmarks
#   tools/setup.sh package install what is missing, build the Debian package into the repository's root
# Packages come from tools/debian-packages.txt; apt-get runs as root, through sudo when needed.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
action=${1:-}
case "$action" in
  run|test|bench|package|fuzz) ;;
  *) echo "usage: $0 run|test|bench|package|fuzz [SECONDS]" >&2; exit 2 ;;
esac

install_missing() {
  local wanted missing=()
  mapfile -t wanted < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' tools/debian-packages.txt)
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing

case "$action" in
  run)
    cmake --preset default
    cmake --build --preset default
    exec build/tarbalun
    ;;
  test)
    cmake --preset default
    cmake --build --preset default
    ctest --preset default
    # Again under AddressSanitizer and UndefinedBehaviorSanitizer, with each fuzz harness for 20 s
    # over its seeds. The sanitize test preset leaves out two labels: soak, which already takes
    # minutes in the run above and would take them twice, and package, which builds the Debian
    # package from the normal build.
    cmake --preset sanitize -D TARBALUN_FUZZ_SECONDS=20
    cmake --build --preset sanitize
    ctest --preset sanitize
    ;;
  fuzz)
    seconds=${2:-300}
    [[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: $0 fuzz [SECONDS]" >&2; exit 2; }
    cmake --preset sanitize -D TARBALUN_FUZZ_SECONDS="$seconds"
    cmake --build --preset sanitize
    ctest --preset sanitize -L '^fuzz$'
    ;;
  bench)
    cmake --preset bench
    cmake --build --preset bench
    exec bench/run.sh build-bench
    ;;
  package)
    exec tools/build-package.sh
    ;;
esac
