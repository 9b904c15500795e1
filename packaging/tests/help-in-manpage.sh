#!/usr/bin/env bash
# Every option and environment variable that `PROGRAM --help` lists is described in the
# manual page, so the two cannot drift apart.
# Usage: help-in-manpage.sh PROGRAM PAGE
set -euo pipefail
program=$1 page=$2

help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help)
# The page's text with roff's escaped hyphens and font changes removed.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# Terms: the first word of the lines of the Options and Environment tables, up to "=" or "[".
terms=$(printf '%s\n' "$help" | awk '
  /^Options/ || /^Environment:/ { table = 1; next }
  /^[A-Z]/ { table = 0 }
  table && /^  [^ ]/ { print $1 }' | sed -e 's/[=[].*//')
missing=0
for term in $terms; do
  if ! grep -qwF -- "$term" <<<"$text"; then
    echo "$term is in --help but not in $page"
    missing=1
  fi
done
[[ $missing == 0 ]] && echo "the page describes all $(wc -w <<<"$terms") terms of --help"
exit $missing
