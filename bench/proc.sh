# shellcheck shell=bash
# Sourced by the figure scripts: what /proc says of the processes measured.

# tree PID: the process and its children (the program and the saver it
# starts for each screen).
tree() { echo "$1" $(ps -o pid= --ppid "$1"); }

# ticks PID...: user + system clock ticks, summed; fails when one is gone.
# The fields count from after the command's name, which may hold spaces.
ticks() {
  awk '{ sub(/^.*\) /, ""); s += $12 + $13 } END { print s + 0 }' \
    $(printf '/proc/%s/stat ' "$@")
}

# memory FIELD FILE PID...: a field of /proc/PID/FILE (status, smaps_rollup)
# summed over the processes, in MB.
memory() {
  local field=$1 file=$2 pid
  shift 2
  for pid in "$@"; do cat "/proc/$pid/$file"; done |
    awk -v f="$field:" '$1 == f { s += $2 } END { printf "%.1f", s / 1024 }'
}
