#!/bin/bash
# Checks the native half of winapi.h against the real Win32 headers: every
# function declared there must have exactly the Win32 type, every number
# constant the Win32 value, and handle types the same identities (HCURSOR is
# HICON, HBITMAP is not HRGN). Compiles the checks with the mingw compiler.
#
#   check_declarations.sh <winapi.h> <i686-w64-mingw32-g++>
set -euo pipefail
header=$1
compiler=$2
checks=$(mktemp --suffix=.cpp)
trap 'rm -f "$checks"' EXIT

{
  echo '#include <windows.h>'
  echo '#include <type_traits>'
  # Only the part after #else is ours.
  perl -0777 -ne '
    s/.*?^#else\n//ms or die "no native section\n";
    while (/^([A-Za-z_][\w ]*?\*?)\s*WINAPI\s+(\w+)\(([^;]*?)\);/mg) {
      my ($ret, $name, $params) = ($1, $2, $3);
      $params =~ s/\s+/ /g;
      print "static_assert(std::is_same_v<decltype(&$name), ",
            "$ret (WINAPI *)($params)>, \"$name\");\n";
    }
    # Distinct handle types stay distinct; aliases of handles stay aliases.
    my @handles = /^DECLARE_HANDLE\((\w+)\);/mg;
    for my $i (0 .. $#handles) {
      for my $j ($i + 1 .. $#handles) {
        print "static_assert(!std::is_same_v<$handles[$i], $handles[$j]>, ",
              "\"$handles[$i] $handles[$j]\");\n";
      }
    }
    my %handle = map { $_ => 1 } @handles;
    while (/^typedef (\w+) (\w+);/mg) {
      print "static_assert(std::is_same_v<$1, $2>, \"$2\");\n"
        if $handle{$1};
    }
    while (/^#define ([A-Z][A-Z0-9_]*) (.+)$/mg) {
      my ($name, $value) = ($1, $2);
      next if $name =~ /^(WINAPI|CALLBACK|APIENTRY|TRUE|FALSE)$/;
      # Pointer constants (resource types, HGDI_ERROR, root keys) cannot be compared
      # at compile time; the rest are numbers.
      next if $value =~ /HANDLE|MAKEINTRESOURCE|HKEY/;
      print "static_assert(($value) == ($name), \"$name\");\n";
    }
  ' "$header"
} >"$checks"

count=$(grep -c static_assert "$checks")
if [ "$count" -lt 40 ]; then
  echo "only $count checks extracted from $header" >&2
  exit 1
fi
"$compiler" -std=c++20 -fsyntax-only -DWIN32_LEAN_AND_MEAN "$checks"
echo "$count declarations and constants match"
