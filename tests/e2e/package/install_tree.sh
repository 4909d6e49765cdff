# `cmake --install` of this build into a scratch root: every file where
# XScreenSaver, xsecurelock and man look, links that resolve, the licence,
# and the installed program runs from there.
source "$(dirname "$0")/lib.sh"
build=$1
root=$WORK/root
DESTDIR=$root timeout 120 cmake --install "$build" --prefix /usr \
  >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "cmake --install"; }
for f in libexec/xscreensaver/gushmire bin/gushmire \
  libexec/xsecurelock/saver_gushmire share/xscreensaver/config/gushmire.xml \
  share/man/man1/gushmire.1.gz share/doc/gushmire/LICENSE; do
  [ -e "$root/usr/$f" ] || fail "missing /usr/$f"
done
# Relative links, so the tree works wherever it is unpacked.
for link in bin/gushmire libexec/xsecurelock/saver_gushmire; do
  [[ "$(readlink "$root/usr/$link")" == ../* ]] || fail "$link is not relative"
done
version=$("$root/usr/bin/gushmire" --version) &&
  [[ "$version" == "gushmire "[0-9]* ]] &&
  pass "installed into a scratch root; it runs: $version" ||
  fail "the installed program does not run"
cmp -s "$root/usr/share/doc/gushmire/LICENSE" "$(dirname "$0")/../../../LICENSE" ||
  fail "LICENSE differs"
finish
