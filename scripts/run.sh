#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [[ -x build/bin/tarnwick ]]; then
  exec build/bin/tarnwick "$@"
fi
exec build/bin/tarnwick-tool --help
