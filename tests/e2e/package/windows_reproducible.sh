# The Windows release is reproducible: a second build of the same sources,
# from another directory, in another time zone and with another umask,
# gives byte-identical gushmire.scr and zip. The zip holds the program, its
# read-me and the licence.
source "$(dirname "$0")/lib.sh"
source_dir=$1
first=$2
version=$3
zip=gushmire-$version-win32.zip
for f in "$first/gushmire.scr" "$first/$zip"; do
  [ -f "$f" ] || { fail "no $f: build the Windows release first"; finish; }
done
copy_source "$source_dir" "$WORK/another/place"
(umask 077 && cd "$WORK/another/place" && export TZ=Pacific/Kiritimati &&
  unset SOURCE_DATE_EPOCH &&
  cmake -S . -B "$WORK/second" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DBUILD_TESTING=OFF \
    -DGUSHMIRE_TOOLS=OFF -DGUSHMIRE_BENCHMARKS=OFF &&
  timeout 900 cmake --build "$WORK/second" --target gushmire_release) \
  >"$WORK/build.log" 2>&1 || { tail -n 40 "$WORK/build.log"; fail "second build"; finish; }
cmp "$first/gushmire.scr" "$WORK/second/gushmire.scr" &&
  pass "gushmire.scr is byte-identical" || fail "gushmire.scr differs"
cmp "$first/$zip" "$WORK/second/$zip" && pass "$zip is byte-identical" ||
  fail "$zip differs"
listed=$(python3 -c 'import sys, zipfile
print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$first/$zip")
[ "$listed" = "gushmire.scr README-windows.txt LICENSE.txt" ] &&
  pass "the zip holds $listed" || fail "the zip holds $listed"
finish
