#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
EXTRA_PACKAGES="libjpeg-turbo-progs imagemagick openobex-apps" scripts/setup.sh "$@"
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)"
