// How the browser scales with the size of a folder: start, going to the end of the list,
// sorting, deleting and opening the folder tree on folders of 10,000 and 100,000 pictures
// (hard links to one small picture), each a headless run measured by /usr/bin/time.
//
//   build/folder_scale_bench [path/to/velloran]
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A 4 x 4 24-bit BMP.
std::string SmallBmp() {
    std::string out = "BM";
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    auto u16 = [&out](uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    u32(54 + 48);
    u32(0);
    u32(54);
    u32(40);
    u32(4);
    u32(4);
    u16(1);
    u16(24);
    u32(0);
    u32(48);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    out.append(48, '\x80');
    return out;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: what the machine's other work does not inflate
    long peakKb = 0;
};

// Runs the program under /usr/bin/time -v and reads its wall time and peak memory.
Run Measure(const std::string& velloran, const std::string& root, const std::string& keys) {
    const std::string report = root + ".time";
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen(report.c_str(), "w", stderr);
        ::execl("/usr/bin/time", "time", "-v", velloran.c_str(), "--headless", "--device-root",
                root.c_str(), "--keys", keys.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::waitpid(pid, nullptr, 0);
    Run run;
    std::ifstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("User time (seconds)") != std::string::npos ||
            line.find("System time (seconds)") != std::string::npos) {
            run.cpuSeconds += std::atof(line.substr(line.rfind(':') + 1).c_str());
        } else if (line.find("Maximum resident set size") != std::string::npos) {
            run.peakKb = std::atol(line.substr(line.rfind(':') + 1).c_str());
        } else if (line.find("Elapsed (wall clock)") != std::string::npos) {
            const std::string t = line.substr(line.find("):") + 2);
            const size_t colon = t.rfind(':');
            run.seconds =
                std::atof(t.substr(0, colon).c_str()) * 60 + std::atof(t.substr(colon + 1).c_str());
        }
    }
    fs::remove(report);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string velloran = argc > 1 ? argv[1] : "build/velloran";
    std::printf("%8s %-10s %9s %9s %9s\n", "entries", "action", "wall s", "cpu s", "peak MB");
    for (const int count : {10000, 100000}) {
        char made[] = "/tmp/velloran-scale-bench-XXXXXX";
        if (!::mkdtemp(made)) {
            return 1;
        }
        const std::string root = made;
        fs::create_directories(root + "/Program Files/Velloran/Samples");
        fs::create_directories(root + "/Program Files/Velloran/Help");
        std::ofstream(root + "/Program Files/Velloran/Help/index.htm") << "<html></html>";
        fs::create_directories(root + "/Windows");
        std::ofstream(root + "/Windows/registry.reg")
            << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\"
               "MainSection]\n\"WorkDirectory\"=\"\\\\Big\"\n";
        fs::create_directories(root + "/Big");
        // A file system allows only so many links to one file (65,000 on ext4): a new
        // original every 50,000 names.
        std::string original;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/Big/p%06d.bmp", i);
            if (i % 50000 == 0) {
                original = root + name;
                std::ofstream(original, std::ios::binary) << SmallBmp();
            } else if (::link(original.c_str(), (root + name).c_str()) != 0) {
                std::perror("link");
                return 1;
            }
        }
        const std::vector<std::pair<const char*, std::string>> actions = {
            {"start", ""},
            {"end", "Enter Left Back"},
            {"sort", "cmd:40017 cmd:40018 cmd:40016"},
            {"delete", "cmd:40022 SoftLeft"},
            {"tree", "cmd:40009 Back"},
        };
        for (const auto& [name, keys] : actions) {
            const Run run = Measure(velloran, root, keys);
            std::printf("%8d %-10s %9.2f %9.2f %9.1f\n", count, name, run.seconds, run.cpuSeconds,
                        run.peakKb / 1024.0);
        }
        fs::remove_all(root);
    }
    return 0;
}
