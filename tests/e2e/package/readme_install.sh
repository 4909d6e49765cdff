# Runs the README's "On Linux" commands as they stand, taken from the README
# at run time: they build the Debian package in a copy of the tree and
# install it. Then it checks the package (lintian included), what it
# installs, that the installed program runs and what `apt show` prints,
# and purges it, checking nothing is left. Installs into this system, so it
# needs root; says so and passes when not root.
source "$(dirname "$0")/lib.sh"
source_dir=$1
x11_tests=$2
xprobe=${3:-}
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
if dpkg-query -W -f='${Status}' gushmire 2>/dev/null | grep -q installed; then
  skip "a gushmire package is installed already; not touching it"
fi

# The first indented block after the heading, the way a reader copies it.
commands=$(awk '/^### On Linux$/ { on = 1; next }
  on && /^#/ { exit }
  on && /^    / { block = 1; sub(/^    /, ""); print; next }
  on && block && !/^$/ { exit }' "$source_dir/README.md")
[ -n "$commands" ] || { fail "no commands under \"### On Linux\""; finish; }
printf 'The README says:\n%s\n' "$commands"

copy_source "$source_dir" "$WORK/gushmire"
# root has no need of sudo, and a fresh Debian root has none.
mkdir -p "$WORK/bin"
command -v sudo >/dev/null || printf '#!/bin/sh\nexec "$@"\n' >"$WORK/bin/sudo"
chmod +x "$WORK/bin/sudo" 2>/dev/null
# apt asks before it installs anything more than was named; nobody answers.
printf 'APT::Get::Assume-Yes "true";\n' >"$WORK/apt.conf"
(cd "$WORK/gushmire" && PATH=$WORK/bin:$PATH APT_CONFIG=$WORK/apt.conf \
  DEBIAN_FRONTEND=noninteractive timeout 1200 bash -e -c "$commands") \
  </dev/null >"$WORK/readme.log" 2>&1 ||
  { tail -n 60 "$WORK/readme.log"; fail "the README's commands"; finish; }
pass "the README's commands built and installed the package"

changes=$(ls "$WORK"/gushmire_*.changes 2>/dev/null | head -n1)
deb=$(ls "$WORK"/gushmire_*.deb 2>/dev/null | head -n1)
[ -n "$changes" ] && [ -n "$deb" ] || { fail "no .changes or .deb"; finish; }

# lintian: no error, warning or informational tag that is not overridden
# with a reason. A fresh root gets it only now, so that nothing it pulls in
# could have stood in for a missing build dependency.
command -v lintian >/dev/null ||
  timeout 600 apt-get install -y -q --no-install-recommends lintian \
    >"$WORK/lintian-install.log" 2>&1 ||
  { tail -n 20 "$WORK/lintian-install.log"; fail "installing lintian"; }
if timeout 300 lintian -I --fail-on error,warning,info "$changes" \
  >"$WORK/lintian.log" 2>&1; then
  pass "lintian is clean"
else
  cat "$WORK/lintian.log"
  fail "lintian"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libx11-6 libxext6 libxrandr2 libwayland-client0 \
  libxkbcommon0 libpam0g libpam-runtime libx11-data fonts-dejavu-core; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "wrong architecture"
# The control file as apt shows it: a synopsis and plain paragraphs.
shown=$(apt-cache show gushmire 2>/dev/null)
grep -q '^Description: screen saver' <<<"$shown" || fail "apt shows: $shown"
grep -q '^ ;\|; *$' <<<"$shown" && fail "stray list separators: $shown"
pass "control fields: $depends"

files=(/usr/libexec/xscreensaver/gushmire /usr/bin/gushmire
       /usr/libexec/xsecurelock/saver_gushmire
       /usr/share/xscreensaver/config/gushmire.xml
       /usr/share/man/man1/gushmire.1.gz /usr/share/doc/gushmire/copyright
       /etc/pam.d/gushmire)
for f in "${files[@]}"; do
  [ -e "$f" ] || fail "missing $f"
done
[ "$(/usr/bin/gushmire --version)" = "gushmire $(dpkg-deb -f "$deb" Version)" ] &&
  [ "$(/usr/libexec/xsecurelock/saver_gushmire --version)" = \
    "$(/usr/bin/gushmire --version)" ] &&
  pass "the installed program runs: $(/usr/bin/gushmire --version)" ||
  fail "the installed program does not run"
# Both display systems are in the installed program, and a Wayland session
# (which sets DISPLAY too, for Xwayland) gets the Wayland one: with no
# compositor behind either name, the message says which it tried.
linked=$(ldd /usr/libexec/xscreensaver/gushmire)
for library in libwayland-client.so libX11.so libXrandr.so; do
  grep -q "$library" <<<"$linked" || fail "the program does not link $library"
done
status=0
said=$(cd "$WORK" && XDG_RUNTIME_DIR=$WORK WAYLAND_DISPLAY=gushmire-none \
  DISPLAY=:97 timeout 20 /usr/bin/gushmire /s 2>&1) || status=$?
[ "$status" -eq 2 ] && grep -q 'the Wayland display "gushmire-none"' <<<"$said" &&
  pass "Wayland and X11 linked; WAYLAND_DISPLAY picks Wayland" ||
  fail "WAYLAND_DISPLAY did not pick Wayland (exit $status): $said"
status=0
said=$(env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET DISPLAY=:97 timeout 20 \
  /usr/bin/gushmire /s 2>&1) || status=$?
[ "$status" -eq 2 ] && grep -q 'the X display ":97"' <<<"$said" ||
  fail "DISPLAY alone did not pick X11 (exit $status): $said"
grep -q '<command arg="-root"/>' /usr/share/xscreensaver/config/gushmire.xml ||
  fail "bad XScreenSaver entry"
zcat /usr/share/man/man1/gushmire.1.gz | grep -q '^\.TH GUSHMIRE 1' ||
  fail "man page unreadable"
grep -q '^License: Expat' /usr/share/doc/gushmire/copyright &&
  grep -q 'Copyright: 2026 The Gushmire developers' \
    /usr/share/doc/gushmire/copyright || fail "copyright file"
# The PAM service of the password check: the login's own rules.
grep -qx '@include common-auth' /etc/pam.d/gushmire ||
  fail "/etc/pam.d/gushmire does not use common-auth"

# The settings dialog with the installed description (the X11 suite's
# helpers; only when this build has them).
if [ -n "$xprobe" ] && [ -x "$xprobe" ]; then
  bash "$x11_tests/settings.sh" /usr/libexec/xscreensaver/gushmire "$xprobe" ||
    fail "xscreensaver-settings with the package installed"
fi

timeout 120 dpkg --purge gushmire >"$WORK/remove.log" 2>&1 ||
  { cat "$WORK/remove.log"; fail "dpkg --purge"; }
for f in "${files[@]}" /usr/share/doc/gushmire; do
  [ -e "$f" ] || [ -L "$f" ] && fail "left behind: $f"
done
dpkg-query -W -f='${Status}' gushmire 2>/dev/null | grep -q "ok installed" &&
  fail "still listed as installed"
[ "$FAILED" -eq 0 ] && pass "purged, nothing left"
finish
