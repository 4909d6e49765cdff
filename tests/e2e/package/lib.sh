# shellcheck shell=bash
# Shared by the package tests: a copy of the source tree as a fresh checkout
# would have it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
begin_suite

# copy_source SOURCE DEST: the files git knows of, or would (build trees and
# other ignored files stay behind).
copy_source() {
  mkdir -p "$2"
  if git -C "$1" rev-parse --git-dir >/dev/null 2>&1; then
    (cd "$1" && git ls-files -z --cached --others --exclude-standard |
      xargs -0 -r cp -a --parents -t "$2" 2>/dev/null) ||
      { echo "cannot copy the source tree"; exit 1; }
  else
    (cd "$1" && tar -c --exclude='./build*' --exclude=./out .) |
      tar -x -C "$2"
  fi
}
