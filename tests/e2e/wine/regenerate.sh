#!/usr/bin/env bash
# Records the reference data in tests/data/wine/ by running the dump programs
# under Wine on a private Xvfb:
#   tests/e2e/wine/regenerate.sh [MINGW_BUILD_DIR]
# Without a build directory it configures and builds build/wine-dumps with the
# mingw toolchain. Each dump runs twice and must give the same text, so
# nothing that varies from run to run gets committed.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build="${1:-$root/build/wine-dumps}"
data="$root/tests/data/wine"

if [ $# -eq 0 ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j 2 --target region_dump stretch_dump \
  window_messages_dump

state="$(mktemp -d "${TMPDIR:-/tmp}/gushmire-wine.XXXXXX")"
trap 'bash "$here/wine-env-stop.sh" "$state"; rm -rf "$state"' EXIT
bash "$here/wine-env-start.sh" "$state"

# The Windows C runtime writes CR LF; the data keeps plain line ends.
run() {
  timeout 300 bash "$here/wine-run.sh" "$state" wine "$@" | tr -d '\r'
}
mkdir -p "$data"
# The main recordings are one Wine's (wine-version.txt); another major
# version gets NAME-wineN.txt where, and only where, it does otherwise.
major() { sed -n 's/^wine-\([0-9]*\).*/\1/p'; }
this=$(wine --version | major)
main=$(major <"$data/wine-version.txt" 2>/dev/null || true)
for pair in region_dump:regions stretch_dump:stretches \
  window_messages_dump:window-messages; do
  dump="${pair%%:*}"
  out="$data/${pair##*:}.txt"
  if [ -n "$main" ] && [ "$this" != "$main" ]; then
    out="$data/${pair##*:}-wine$this.txt"
  fi
  run "$build/tests/e2e/wine/win/$dump.exe" >"$state/first.txt"
  run "$build/tests/e2e/wine/win/$dump.exe" >"$state/second.txt"
  if ! cmp -s "$state/first.txt" "$state/second.txt"; then
    echo "regenerate: $dump gave different output on two runs" >&2
    exit 1
  fi
  if [ "$out" != "$data/${pair##*:}.txt" ] &&
    cmp -s "$state/first.txt" "$data/${pair##*:}.txt"; then
    rm -f "$out" # this Wine does as the main recording says
    continue
  fi
  mv "$state/first.txt" "$out"
  echo "regenerate: wrote $out ($(wc -l <"$out") lines)"
done
[ -n "$main" ] && [ "$this" != "$main" ] ||
  wine --version >"$data/wine-version.txt"
