# Builds the .deb, installs it into this system with dpkg, checks every file
# is where XScreenSaver and xsecurelock look, then removes it and checks
# nothing is left. Needs root; says so and passes when not root.
set -u
build=$1
cpack=$2
x11_tests=$3
xprobe=${4:-}
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing a .deb needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' gushmire 2>/dev/null | grep -q installed; then
  echo "SKIPPED: a gushmire package is installed already; not touching it"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

(cd "$build" && timeout 240 "$cpack" -G DEB -B "$work" \
  --config "$build/CPackConfig.cmake") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/gushmire_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no .deb made"; exit 1; }
pass "made $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libx11-6 libxext6; do
  grep -q "$library" <<<"$depends" && pass "depends on $library" ||
    fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] &&
  pass "architecture $(dpkg --print-architecture)" || fail "wrong architecture"

files=(/usr/libexec/xscreensaver/gushmire /usr/bin/gushmire
       /usr/libexec/xsecurelock/saver_gushmire
       /usr/share/xscreensaver/config/gushmire.xml
       /usr/share/man/man1/gushmire.1.gz)
timeout 120 dpkg -i "$deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "dpkg -i"; }
for f in "${files[@]}"; do
  [ -e "$f" ] && pass "installed $f" || fail "missing $f"
done
[ -x /usr/libexec/xscreensaver/gushmire ] &&
  /usr/bin/gushmire --version | grep -q '^gushmire ' &&
  pass "the installed program runs" || fail "the installed program does not run"
grep -q '<command arg="-root"/>' /usr/share/xscreensaver/config/gushmire.xml &&
  pass "XScreenSaver entry runs it with -root" || fail "bad XScreenSaver entry"
zcat /usr/share/man/man1/gushmire.1.gz | grep -q '^\.TH GUSHMIRE 1' &&
  pass "man page installed" || fail "man page unreadable"

# The settings dialog with the installed description (the X11 suite's
# helpers; only when this build has them).
if [ -n "$xprobe" ] && [ -x "$xprobe" ]; then
  bash "$x11_tests/settings.sh" /usr/libexec/xscreensaver/gushmire "$xprobe" ||
    fail "xscreensaver-settings with the package installed"
fi

timeout 120 dpkg -r gushmire >"$work/remove.log" 2>&1 ||
  { cat "$work/remove.log"; fail "dpkg -r"; }
for f in "${files[@]}"; do
  [ -e "$f" ] || [ -L "$f" ] && fail "left behind: $f" || pass "removed $f"
done
dpkg-query -W -f='${Status}' gushmire 2>/dev/null | grep -q "ok installed" &&
  fail "still listed as installed" || pass "package gone"
[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
exit $((failures > 0))
