#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"

tools/install_packages.sh
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRASTRUM_SANITIZE=ON >/dev/null
cmake --build build/sanitize

# The libFuzzer targets build with clang; replaying their corpus keeps them working.
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCALMVIEW_BUILD_TESTS=OFF -DCALMVIEW_BUILD_FUZZ=ON >/dev/null
cmake --build build/fuzz
ctest --test-dir build/fuzz --output-on-failure

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/sanitize --output-on-failure -j"$(nproc)" "$@"
