#!/usr/bin/env bash
# Builds the Debian package of Tarnwick from the default build: build/package/tarnwick_*.deb.
# Install it with: apt install ./build/package/tarnwick_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
# Only what the package holds: the programs, the data, the icons and the pages.
cmake --build --preset default --target tarnwick tarnwick-tool game_data install_files
(cd build && cpack -G DEB)
ls build/package/tarnwick_*.deb
