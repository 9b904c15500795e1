#!/usr/bin/env bash
# Runs one validator on a file and fails on anything it reports: desktop-file-validate on the
# desktop entry, appstreamcli on the metainfo, man (or groff) on a manual page.
# Usage: check-validator.sh desktop|metainfo|manpage FILE
set -euo pipefail
kind=$1
file=$2

need() {
  if ! command -v "$1" >/dev/null; then
    echo "$1 is missing: scripts/setup.sh installs it" >&2
    exit 1
  fi
}

case $kind in
  desktop)
    need desktop-file-validate
    report=$(desktop-file-validate "$file" 2>&1) || { echo "$report"; exit 1; }
    ;;
  metainfo)
    need appstreamcli
    # Infos and pedantic notes do not fail the check; warnings and errors do.
    report=$(appstreamcli validate --no-net "$file" 2>&1) || { echo "$report"; exit 1; }
    echo "$report"
    exit 0
    ;;
  manpage)
    # What lintian runs on a page; groff alone when man is not there.
    if command -v man >/dev/null; then
      report=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
               man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
    else
      need groff
      report=$(groff -man -ww -z "$file" 2>&1)
    fi
    ;;
  *)
    echo "unknown kind $kind" >&2
    exit 2
    ;;
esac
if [[ -n "$report" ]]; then
  echo "$report"
  exit 1
fi
echo "$kind $file: no complaints"
