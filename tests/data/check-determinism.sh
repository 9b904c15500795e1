#!/bin/sh
# Runs every command the build uses to make the data folder a second time, into a temporary
# folder, and compares the two folders file by file: the same sources must give the same bytes.
# Usage: check-determinism.sh NINJA BUILD_DIR DATA_DIR
set -eu
ninja=$1 build=$2 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The commands that write below the data folder (or its pak staging folder beside it), in build
# order, aimed at the temporary folder instead.
"$ninja" -C "$build" -t commands game_data | grep -F "$data" |
    sed "s#$data#$work/data#g" > "$work/commands.sh"
(cd "$build" && sh -e "$work/commands.sh") > "$work/log" 2>&1 || {
    cat "$work/log"
    echo "the data commands failed"
    exit 1
}

(cd "$data" && find . -type f | LC_ALL=C sort | xargs sha256sum) > "$work/first"
(cd "$work/data" && find . -type f | LC_ALL=C sort | xargs sha256sum) > "$work/second"
if ! diff "$work/first" "$work/second"; then
    echo "the data build is not deterministic (first: $data, second: a fresh run)"
    exit 1
fi
echo "$(wc -l < "$work/first") files, the same bytes both times"
