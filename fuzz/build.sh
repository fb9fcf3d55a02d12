#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (not part of the CMake build).
# Usage: fuzz/build.sh [OUTDIR]   then e.g.  OUTDIR/fuzz_bmp fuzz/corpus/bmp -max_total_time=600
set -euo pipefail
# clang with libFuzzer comes from Debian's clang package (installed here when missing).
if ! command -v clang++ > /dev/null; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "clang++ is missing: run this as root to install it" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang
fi
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/build-fuzz}"
mkdir -p "$OUT"
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Wall -Wextra -Wshadow -Werror -I"$ROOT")
# The decoders and what they use of the platform (the painter draws, so it stays out), and
# the parsers of the settings and favourites files.
SOURCES=("$ROOT"/platform/graphics/bitmap.cpp "$ROOT"/platform/os/device_fs.cpp
         "$ROOT"/platform/os/beneath_resolver.cpp "$ROOT"/platform/os/text.cpp
         "$ROOT"/platform/os/registry.cpp "$ROOT"/platform/os/registry_text.cpp
         "$ROOT"/core/favorites_file.cpp)
for src in "$ROOT"/imaging/*.cpp; do
    [ "$(basename "$src")" = image_painter.cpp ] || SOURCES+=("$src")
done
# The library sources once, then one link per target.
OBJ="$OUT/obj"
mkdir -p "$OBJ"
objs=()
for src in "${SOURCES[@]}"; do
    obj="$OBJ/$(basename "$(dirname "$src")")_$(basename "$src" .cpp).o"
    clang++ "${FLAGS[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$src" -o "$obj"
    objs+=("$obj")
done
for target in bmp jpeg gif registry favorites; do
    clang++ "${FLAGS[@]}" "$ROOT/fuzz/fuzz_$target.cpp" "${objs[@]}" -ljpeg -lgif \
        -o "$OUT/fuzz_$target"
done
# The infrared sender's response handling: the worker over a scripted link.
OBEX_SOURCES=("$ROOT"/sharing/infrared_obex.cpp "$ROOT"/sharing/infrared_worker.cpp
              "$ROOT"/platform/os/worker_clock.cpp "$ROOT"/platform/os/wake_signal.cpp
              "$ROOT"/resources/strings.cpp)
obex_objs=()
for src in "${OBEX_SOURCES[@]}"; do
    obj="$OBJ/$(basename "$(dirname "$src")")_$(basename "$src" .cpp).o"
    clang++ "${FLAGS[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$src" -o "$obj"
    obex_objs+=("$obj")
done
clang++ "${FLAGS[@]}" "$ROOT/fuzz/fuzz_obex_response.cpp" "${obex_objs[@]}" \
    "$OBJ/os_device_fs.o" "$OBJ/os_beneath_resolver.o" "$OBJ/os_text.o" \
    -lpthread -o "$OUT/fuzz_obex_response"
echo "built: fuzz_bmp fuzz_jpeg fuzz_gif fuzz_registry fuzz_favorites fuzz_obex_response in $OUT"
