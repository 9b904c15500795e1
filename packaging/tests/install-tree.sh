#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the layout: the programs, the game's data
# (when the build has made it), the desktop entry, the metainfo, the icons at their sizes and
# the manual pages; then runs the installed program's --version from there.
# Usage: install-tree.sh BUILD_DIR PREFIX DATA_DIR APP_ID ICON_SIZE...
set -euo pipefail
build=$1 prefix=$2 data=$3 id=$4
shift 4
sizes=("$@")

source "$(dirname "$0")/keep-install-manifest.sh"
keep_install_manifest "$build"

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
expect() {
  if [[ ! -f "$prefix/$1" ]]; then
    echo "missing from the install: $1"
    failed=1
  fi
}
expect bin/tarnwick
expect bin/tarnwick-tool
expect "share/applications/$id.desktop"
expect "share/metainfo/$id.metainfo.xml"
expect "share/icons/hicolor/scalable/apps/$id.svg"
expect share/man/man6/tarnwick.6.gz
expect share/man/man1/tarnwick-tool.1.gz
expect share/doc/tarnwick/copyright
for size in "${sizes[@]}"; do
  icon="share/icons/hicolor/${size}x${size}/apps/$id.png"
  expect "$icon"
  if [[ -f "$prefix/$icon" ]] && command -v identify >/dev/null; then
    actual=$(identify -format '%wx%h' "$prefix/$icon")
    if [[ "$actual" != "${size}x${size}" ]]; then
      echo "$icon is $actual"
      failed=1
    fi
  fi
done

# The data: what the build made, byte for byte, and nothing the program writes.
if [[ -f "$data/main.pak" ]]; then
  for file in main.pak about.html Properties/Levels.txt; do
    expect "share/tarnwick/$file"
    if [[ -f "$prefix/share/tarnwick/$file" ]] && ! cmp -s "$data/$file" "$prefix/share/tarnwick/$file"; then
      echo "share/tarnwick/$file differs from the build's $data/$file"
      failed=1
    fi
  done
else
  echo "note: the build has no game data yet ($data/main.pak); the data part is not checked"
fi

version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/tarnwick" --version)
if [[ "$version" != "tarnwick (Tarnwick) "* ]]; then
  echo "the installed tarnwick --version printed: $version"
  failed=1
fi
tool_version=$("$prefix/bin/tarnwick-tool" --version)
if [[ "$tool_version" != "tarnwick-tool (Tarnwick) "* ]]; then
  echo "the installed tarnwick-tool --version printed: $tool_version"
  failed=1
fi
[[ $failed == 0 ]] && echo "installed into $prefix: $(cd "$prefix" && find . -type f | wc -l) files"
exit $failed
