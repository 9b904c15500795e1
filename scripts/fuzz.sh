#!/usr/bin/env bash
# Builds one libFuzzer target and runs it from its seed corpus with the memory limits every
# fuzz run uses: one allocation above 256 MB or a resident size above 768 MB is a finding.
# New inputs go to build-fuzz/corpus/NAME/, so the seed corpus stays as committed.
#   scripts/fuzz.sh NAME [SECONDS] [more libFuzzer options]
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $# -lt 1 ]]; then
  echo "usage: $0 NAME [SECONDS] [libFuzzer options]   (targets: fuzz/*.cpp)" >&2
  exit 2
fi
name=$1
seconds=${2:-300}
shift $(($# < 2 ? $# : 2))
[[ -f build-fuzz/build.ninja ]] || cmake --preset fuzz >/dev/null
cmake --build build-fuzz --target "fuzz_$name"
mkdir -p "build-fuzz/corpus/$name" "build-fuzz/artifacts/$name"
exec build-fuzz/bin/"fuzz_$name" -malloc_limit_mb=256 -rss_limit_mb=768 \
  -max_total_time="$seconds" -artifact_prefix="build-fuzz/artifacts/$name/" "$@" \
  "build-fuzz/corpus/$name" "fuzz/corpus/$name"
