#!/usr/bin/env bash
# Installs what is missing (Debian packages; needs root) and builds the program.
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake make g++ pkg-config libsdl2-dev libjpeg62-turbo-dev libgif-dev libfreetype-dev
          libfontconfig-dev libsndfile1-dev libpng-dev libgtest-dev libgmock-dev fonts-dejavu-core)
# Extra packages a caller needs (the tests compare decodes with djpeg and ImageMagick and
# send pictures to obex_tcp).
read -r -a EXTRA <<< "${EXTRA_PACKAGES:-}"
PACKAGES+=("${EXTRA[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "run this as root (or with sudo) to install the packages above" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_DIR="${1:-build}"
shift || true
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > "$BUILD_DIR.cmake.log" 2>&1 \
    || { cat "$BUILD_DIR.cmake.log"; exit 1; }
cmake --build "$BUILD_DIR" -j"$(nproc)"
