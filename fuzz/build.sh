#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (not part of the CMake build).
# Usage: fuzz/build.sh [OUTDIR]   then e.g.  OUTDIR/fuzz_bmp fuzz/corpus/bmp -max_total_time=600
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/build-fuzz}"
mkdir -p "$OUT"
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Wall -Wextra -Wshadow -Werror -I"$ROOT")
# The decoders and what they use of the platform (the painter draws, so it stays out).
SOURCES=("$ROOT"/platform/graphics/bitmap.cpp "$ROOT"/platform/os/device_fs.cpp
         "$ROOT"/platform/os/text.cpp)
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
for target in bmp jpeg gif; do
    clang++ "${FLAGS[@]}" "$ROOT/fuzz/fuzz_$target.cpp" "${objs[@]}" -ljpeg -lgif \
        -o "$OUT/fuzz_$target"
done
echo "built: $OUT/fuzz_bmp $OUT/fuzz_jpeg $OUT/fuzz_gif"
