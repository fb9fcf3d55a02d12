// libFuzzer target: file bytes through the loaders as a GIF file.
#include "fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::RunLoaders(data, size, 'G', 'I');
    return 0;
}
