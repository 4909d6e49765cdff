#!/usr/bin/env bash
# The configure box: dialog 2003 of the program, owned by the foreground
# window for /c (with or without a number after it) and by no window
# without a switch; Return and Escape close it with 1.
source "$(dirname "$0")/lib.sh"

stage plain
# name, saverctl options, arguments, expected owner, key that closes it
while IFS='|' read -r name options args owner key; do
  launch "$name" plain $options -- $args
  if wait_for "$name" '^dialog ' 30; then
    sleep 0.3
    xdotool key "$key"
  fi
  finish "$name" 20
  check "'$args' shows dialog 2003 owned by $owner" \
    has "$name" "^dialog .* owner=$owner template=same$"
  check "'$args' closed by $key ends with 1" has "$name" '^exit 1$'
done <<'CASES'
bare|||none|Return
c|--owner|/c|ours|Return
c1234|--owner|/c:1234|ours|Escape
CASES
summary
