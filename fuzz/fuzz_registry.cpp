// libFuzzer target: bytes as the registry file. Parsing never fails; what it keeps must
// write back to a text that parses to the same keys and writes back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/os/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string once = plat::SerializeRegistry(plat::ParseRegistryText(bytes));
    const std::string twice = plat::SerializeRegistry(plat::ParseRegistryText(once));
    if (once != twice) {
        std::abort();
    }
    return 0;
}
