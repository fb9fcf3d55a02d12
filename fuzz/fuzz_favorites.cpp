// libFuzzer target: bytes as the favourites file. The records read must write back to a
// file that reads to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/favorites_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<Favorite> first = FavoritesStore::Parse(bytes);
    const std::string written = FavoritesStore::Serialize(first);
    const std::vector<Favorite> again = FavoritesStore::Parse(written);
    if (again.size() != first.size()) {
        std::abort();
    }
    for (size_t i = 0; i < first.size(); ++i) {
        if (again[i].name != first[i].name || again[i].folder != first[i].folder) {
            std::abort();
        }
    }
    return 0;
}
