#!/usr/bin/env bash
# Builds the threaded parts and their tests with ThreadSanitizer and runs those tests only
# (the whole suite under TSan would take too long on a small machine).
#   scripts/tsan.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build-tsan}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLORAN_WERROR=ON \
    -DVELLORAN_SANITIZE=thread > "$BUILD_DIR.cmake.log" 2>&1 || { cat "$BUILD_DIR.cmake.log"; exit 1; }
cmake --build "$BUILD_DIR" -j"$(nproc)" --target velloran velloran_browser_tests \
    velloran_imaging_tests velloran_sharing_tests velloran_e2e_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
# TSan cannot map its shadow memory under the kernel's widest address randomisation.
run() { setarch "$(uname -m)" -R "$@"; }
run "$BUILD_DIR/tests/velloran_browser_tests" --gtest_filter='ThumbnailStress*:ImageLoading*'
run "$BUILD_DIR/tests/velloran_imaging_tests" --gtest_filter='PictureLoader*:ProgressiveJpeg*'
run "$BUILD_DIR/tests/velloran_sharing_tests" --gtest_filter='Infrared*'
run "$BUILD_DIR/tests/velloran_e2e_tests" --gtest_filter='ThreadedThumbnails*:ThumbnailGrid*'
