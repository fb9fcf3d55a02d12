// libFuzzer target: file bytes through the loaders as a BMP file.
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::RunLoaders(data, size, 'B', 'M');
    return 0;
}
