#!/usr/bin/env bash
# What Windows reads from gushmire.scr itself: its version resource through
# the version API and its manifest through an activation context. One Wine
# process run.
set -uo pipefail
build="${GUSHMIRE_WINE_BUILD_DIR:?GUSHMIRE_WINE_BUILD_DIR not set}"
version="${1:?usage: version.sh PROJECT_VERSION}"
out=$(timeout 300 wine "$build/tests/saver_wine/win/fileinfo.exe" \
  "Z:${build//\//\\}\\gushmire.scr" 2>/dev/null | tr -d '\r')
echo "$out"
failed=0
expect() {
  if grep -qxF "$1" <<<"$out"; then echo "ok: $1"; else
    echo "FAIL: expected \"$1\""
    failed=$((failed + 1))
  fi
}
expect "fixed $version.0"
expect "ProductName Gushmire"
expect "ProductVersion $version"
expect "FileDescription Gushmire screen saver"
expect "LegalCopyright Copyright (C) 2026 The Gushmire developers"
expect "manifest read"
expect "dpiAware true/pm"
exit $((failed > 0))
