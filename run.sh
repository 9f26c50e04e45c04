#!/usr/bin/env bash
# Installs what is missing, builds Calmview and Rastrum, and starts Calmview.
set -euo pipefail
cd "$(dirname "$0")"

tools/install_packages.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCALMVIEW_BUILD_TESTS=OFF >/dev/null
cmake --build build/release

if [ -x build/release/calmview/calmview ]; then
  exec build/release/calmview/calmview "$@"
fi
echo "Rastrum is built (build/release/rastrum/librastrum.so); the Calmview window is not part of this build yet."
