// How the settings store scales: loading and saving a registry file of 10,000 to 100,000
// keys, against reading and writing the same bytes with nothing parsed. Times are the
// process's CPU time, so other work on the machine does not count.
//
//   build/registry_bench
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/os/device_fs.h"
#include "platform/os/registry.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Since(double start) {
    return CpuSeconds() - start;
}

std::string RegistryText(int keys) {
    std::string text = "REGEDIT4\n";
    for (int k = 0; k < keys; ++k) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Vendor " + std::to_string(k % 97) + "\\Key " +
                std::to_string(k) +
                "]\n\"Count\"=dword:0000002a\n\"Folder\"=\"\\\\My Documents\\\\" +
                std::to_string(k) + "\"\n\"Blob\"=hex:01,02,03\n";
    }
    return text;
}

}  // namespace

int main() {
    char folder[] = "/tmp/velloran-registry-bench-XXXXXX";
    if (!::mkdtemp(folder)) {
        return 1;
    }
    plat::DeviceFs::SetRoot(folder);
    plat::DeviceFs::CreateFolders("\\Windows");
    const std::string path = "\\Windows\\registry.reg";
    std::printf("%8s %10s %9s %9s %9s %9s\n", "keys", "bytes", "load s", "save s", "raw s",
                "ratio");
    for (const int keys : {10000, 40000, 100000}) {
        const std::string text = RegistryText(keys);
        plat::DeviceFs::WriteAtomic(path, text);
        // What the host does for the same bytes: read them, write them back atomically.
        double start = CpuSeconds();
        std::string bytes;
        plat::DeviceFs::ReadAll(path, &bytes);
        plat::DeviceFs::WriteAtomic(path, bytes);
        const double raw = Since(start);

        plat::Registry reg;
        start = CpuSeconds();
        reg.Load(path);
        const double load = Since(start);
        start = CpuSeconds();
        reg.SetDword("Software\\Tarrowby Systems Inc.\\velloran\\MainSection", "Orientation", 1);
        const double save = Since(start);
        std::printf("%8d %10zu %9.3f %9.3f %9.3f %9.1f\n", keys, text.size(), load, save, raw,
                    (load + save) / raw);
    }
    fs::remove_all(folder);
    return 0;
}
