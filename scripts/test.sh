#!/usr/bin/env bash
# Sets up a Debian 12 or 13 machine and runs every test: the Windows (mingw)
# Release build, the native tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the native Release build (the one users
# get) with every test: the Wine-side comparisons, the packages and the
# README's install commands.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

jobs="$(nproc)"
generator=(-G Ninja)
# stage NAME: says how long the one before took.
stage_start=
stage() {
  [ -z "$stage_start" ] || echo "-- took $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
  [ -z "$1" ] || echo "== $1"
}
trap 'stage ""' EXIT

stage "Windows build (i686-w64-mingw32), Release"
cmake -S . -B build/mingw "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/mingw -j "$jobs"

stage "Native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan "${generator[@]}" \
  -DGUSHMIRE_SANITIZE=ON -DGUSHMIRE_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build build/asan -j "$jobs"
# The package tests build and install releases: they run once, below.
(cd build/asan && ctest --output-on-failure -j "$jobs" -LE 'wine|package')

stage "Native program with the Wayland backend alone"
cmake -S . -B build/wayland-only "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DGUSHMIRE_BACKEND_X11=OFF -DGUSHMIRE_BENCHMARKS=OFF >/dev/null
cmake --build build/wayland-only -j "$jobs" --target gushmire >/dev/null
# It builds, runs, and knows it has no X11.
out="$(build/wayland-only/gushmire --backend x11 /s 2>&1 || true)"
grep -q 'no backend "x11" here (wayland)' <<<"$out" ||
  { echo "the Wayland-only program said: $out"; exit 1; }

stage "Native Release build, as users build it, with the Wine-side tests"
cmake -S . -B build/native "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DGUSHMIRE_WINE_BUILD_DIR="$root/build/mingw"
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure -j "$jobs")
