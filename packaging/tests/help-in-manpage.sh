#!/usr/bin/env bash
# Everything that `PROGRAM --help` lists (options, commands, environment variables) is
# described in the manual page, so the two cannot drift apart.
# Usage: help-in-manpage.sh PROGRAM PAGE
set -euo pipefail
program=$1 page=$2

help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help)
# The page's text with roff's escaped hyphens and font changes removed.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# The terms of the help's tables: an option up to "=" or "[" ("  -playnum[=N]"), a command's
# two words ("  pak build OUT.pak DIR"), an environment variable ("  XDG_DATA_HOME").
terms=$(printf '%s\n' "$help" | awk '
  /^  -/ { sub(/[=[].*/, "", $1); print $1; next }
  /^  [a-z]+ [a-z]+/ { print $1 " " $2; next }
  /^  [A-Z][A-Z_]+/ { print $1 }')
missing=0
count=0
while IFS= read -r term; do
  count=$((count + 1))
  if ! grep -qwF -- "$term" <<<"$text"; then
    echo "\"$term\" is in --help but not in $page"
    missing=1
  fi
done <<<"$terms"
[[ $missing == 0 ]] && echo "the page describes all $count terms of --help"
exit $missing
