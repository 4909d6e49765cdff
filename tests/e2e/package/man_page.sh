# The man page formats without a warning and documents every option the
# program's own usage lists.
source "$(dirname "$0")/lib.sh"
page=$1
gushmire=$2

warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] && pass "groff finds nothing to warn about" ||
  fail "groff warnings: $warnings"
# Plain text whatever grotty's default: no SGR escapes (groff 1.23), no
# overstriking (-c -b -o -u), so headings start their lines.
text=$(LC_ALL=C.UTF-8 MANWIDTH=80 groff -man -Tascii -P-cbou "$page" 2>/dev/null)
grep -q "@VERSION@" "$page" && fail "version not filled in"
for option in $("$gushmire" --help | grep -oE '(^| )(/[a-z]|--?[a-z][a-z-]+)' |
  sort -u); do
  grep -qF -- "$option" <<<"$text" && pass "$option documented" ||
    fail "$option is missing from the man page"
done
for section in "EXIT STATUS" "HACK OPTIONS" "INSTALLING" "SIGNALS"; do
  grep -q "^$section" <<<"$text" || fail "no $section section"
done
finish
