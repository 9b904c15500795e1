#!/usr/bin/env bash
# Builds the Debian package from the build, checks that it holds exactly the files of an
# install (INSTALL_PREFIX, made by install-tree.sh) under /usr, runs lintian on it (errors
# fail), and unpacks it into WORK_DIR/root for the tests that run the unpacked program.
# With HARDENING "hardened" (the release build), lintian must not find the programs unhardened.
# Usage: package-deb.sh BUILD_DIR INSTALL_PREFIX WORK_DIR [HARDENING]
set -euo pipefail
build=$1 prefix=$2 work=$3 hardening=${4:-hardened}

source "$(dirname "$0")/keep-install-manifest.sh"
keep_install_manifest "$build"

rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/tarnwick_*.deb)
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "$(dpkg-deb -f "$deb" Depends | sed 's/^/Depends: /')"

# Files and links, without directories, relative to /usr.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's#^\./usr/##' | sort >"$work/package.txt"
(cd "$prefix" && find . ! -type d | sed 's#^\./##' | sort) >"$work/install.txt"
if ! diff -u "$work/install.txt" "$work/package.txt"; then
  echo "the package's files differ from the install's (- install, + package)"
  exit 1
fi
echo "the package holds the $(wc -l <"$work/package.txt") files of the install"

if command -v lintian >/dev/null; then
  lintian --allow-root --fail-on error --display-info --tag-display-limit 0 "$deb" |
    tee "$work/lintian.txt"
  echo "lintian: no errors"
  # The programs carry the release build's hardening and are stripped of what they do not need.
  if [[ "$hardening" == hardened ]] &&
    grep -E 'hardening-no-bindnow|hardening-no-fortify-functions|binary-has-unneeded-section' \
      "$work/lintian.txt"; then
    echo "lintian: the programs lack hardening or keep unneeded sections"
    exit 1
  fi
else
  echo "lintian is missing: scripts/setup.sh installs it"
  exit 1
fi

dpkg-deb -x "$deb" "$work/root"
