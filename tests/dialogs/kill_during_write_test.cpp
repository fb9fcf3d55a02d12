// A process killed at any moment while it writes its settings or favourites leaves either
// the old file or the new one, whole, never a mixture or a cut file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "core/favorites_store.h"
#include "platform/os/device_fs.h"
#include "platform/os/registry.h"
#include "tests/platform/temp_device.h"

namespace {

const std::string kRegistry = "\\Windows\\registry.reg";
const std::string kKey = "Software\\Tarrowby Systems Inc.\\velloran\\MainSection";

// Two versions of each file, large enough that a write takes a while.
std::string Text(char c) {
    return std::string(60000, c);
}

std::vector<Favorite> Favorites(int count, const std::string& tag) {
    std::vector<Favorite> out;
    for (int i = 0; i < count; ++i) {
        out.push_back({tag + std::to_string(i), "\\Folder " + tag + "\\" + std::to_string(i)});
    }
    return out;
}

// Writes one version of each file; `which` picks the version.
void WriteVersion(plat::Registry* reg, FavoritesStore* store, unsigned which) {
    reg->SetString(kKey, "Big", Text(which % 2 ? 'x' : 'y'));
    store->Clear();
    for (const Favorite& f : which % 2 ? Favorites(90, "b") : Favorites(40, "a")) {
        store->Add(-1, f.name, f.folder);
    }
    store->Save();
}

[[noreturn]] void WriteForever(unsigned first) {
    plat::Registry reg;
    reg.Load(kRegistry);
    FavoritesStore store;
    for (unsigned i = first;; ++i) {
        WriteVersion(&reg, &store, i);
    }
}

}  // namespace

TEST(KillDuringWrite, SettingsAndFavoritesAreAlwaysTheOldOrTheNewFileWhole) {
    plat_test::TempDevice device;
    ASSERT_TRUE(plat::DeviceFs::CreateFolders("\\Windows"));
    ASSERT_TRUE(plat::DeviceFs::CreateFolders("\\Program Files\\Velloran"));
    {
        // Both files exist from the start, so every round has an old file to find.
        plat::Registry reg;
        reg.Load(kRegistry);
        FavoritesStore store;
        WriteVersion(&reg, &store, 0);
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 250; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            WriteForever(static_cast<unsigned>(round));
        }
        ::usleep(200 + rng() % 8000);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        std::string bytes;
        ASSERT_TRUE(plat::DeviceFs::ReadAll(kRegistry, &bytes)) << "round " << round;
        const std::vector<plat::Registry::Key> keys = plat::ParseRegistryText(bytes);
        ASSERT_EQ(plat::SerializeRegistry(keys), bytes) << "round " << round;
        ASSERT_EQ(keys.size(), 1u);
        ASSERT_EQ(keys[0].values.size(), 1u);
        const std::string& text = keys[0].values[0].text;
        ASSERT_TRUE(text == Text('x') || text == Text('y')) << "round " << round;

        ASSERT_TRUE(plat::DeviceFs::ReadAll(FavoritesStore::FilePath(), &bytes))
            << "round " << round;
        // Either version's exact bytes.
        ASSERT_TRUE(bytes == FavoritesStore::Serialize(Favorites(40, "a")) ||
                    bytes == FavoritesStore::Serialize(Favorites(90, "b")))
            << "round " << round;
    }
}
