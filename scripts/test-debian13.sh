#!/usr/bin/env bash
# Debian 13 "trixie" in a clean root of its own (tests/e2e/debian/root.sh),
# from this machine: the README's "On Linux" commands as a fresh system runs
# them (package, lintian, the installed program's two display backends), then
# the suites whose tools changed between releases: Wayland on sway 1.10 and
# weston 14, the man page on groff 1.23, and the Wine suites under Wine 10.
# Needs root (debootstrap, mounts, chroot) and Debian's package mirror.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
dir=${GUSHMIRE_DEBIAN13_ROOT:-/var/tmp/gushmire-trixie}
roots="$source_dir/tests/e2e/debian/root.sh"
jobs=$(nproc)

# stage NAME COMMAND...: runs it and says how long it took.
stage() {
  local start=$SECONDS
  echo "== Debian 13: $1"
  "${@:2}"
  echo "-- Debian 13: $1 took $((SECONDS - start)) s"
}
in_root() { bash "$roots" run "$dir" "$@"; }
# quietly NAME COMMAND...: its output goes to a log, shown when it fails.
quietly() {
  "${@:2}" >"$dir/$1.log" 2>&1 || { tail -n 40 "$dir/$1.log"; return 1; }
}

trap 'bash "$roots" drop "$dir"' EXIT
make_root() { bash "$roots" make trixie "$dir" >/dev/null; }
stage "a clean root" make_root
# The tree as a checkout has it: the files git knows of, or would.
mkdir -p "$dir/src/gushmire"
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
  xargs -0 -r cp -a --parents -t "$dir/src/gushmire")

stage "the README's commands, lintian, the installed program" \
  in_root bash -c 'apt-get update -q >/dev/null &&
    bash /src/gushmire/tests/e2e/package/readme_install.sh /src/gushmire \
      /src/gushmire/tests/e2e/x11'

stage "setup" quietly setup in_root bash /src/gushmire/scripts/setup.sh

labels='wayland|docs|wine'
wine_dir=/src/gushmire/build/mingw
stage "Windows build" quietly mingw in_root bash -c "cd /src/gushmire &&
  cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake &&
  cmake --build build/mingw -j $jobs"
stage "native build" quietly native in_root bash -c "cd /src/gushmire &&
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DGUSHMIRE_BENCHMARKS=OFF -DGUSHMIRE_WINE_BUILD_DIR=$wine_dir &&
  cmake --build build/native -j $jobs"
stage "tests labelled $labels" in_root bash -c "cd /src/gushmire/build/native &&
  ctest --output-on-failure -j $jobs -L '$labels'"
