#include "platform/os/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/os/device_fs.h"
#include "platform/os/text.h"

extern char** environ;

namespace plat {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false;
    bool quoted = false;
    size_t i = 0;
    while (i < commandLine.size()) {
        const char c = commandLine[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArg) {
                args.push_back(std::move(arg));
                arg.clear();
                inArg = false;
            }
            ++i;
            continue;
        }
        inArg = true;
        if (c == '\\') {
            size_t n = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++n;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                // 2n backslashes + quote: n backslashes and a quoting quote;
                // 2n+1: n backslashes and a literal quote.
                arg.append(n / 2, '\\');
                if (n % 2 == 1) {
                    arg += '"';
                    ++i;
                }
            } else {
                arg.append(n, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
        } else {
            arg += c;
        }
        ++i;
    }
    if (inArg) {
        args.push_back(std::move(arg));
    }
    return args;
}

std::string FindExecutable(const std::string& program) {
    if (program.empty()) {
        return {};
    }
    if (program.find('/') != std::string::npos) {
        return IsExecutableFile(program) ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) {
            end = dirs.size();
        }
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + program;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

bool SpawnDetached(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/') {
        return false;
    }
    // An intermediate /bin/sh starts the program in the background and exits at once, so the
    // program is adopted by init. The script is fixed: the arguments arrive as "$@" and are
    // never parsed by the shell.
    std::vector<std::string> all = {"/bin/sh", "-c", "\"$@\" </dev/null &", "velloran-start"};
    all.insert(all.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (std::string& a : all) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);

    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) {
        return false;
    }
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t allSignals;
    sigfillset(&allSignals);
    posix_spawnattr_setsigdefault(&attr, &allSignals);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, "/bin/sh", nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        return false;
    }
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    return waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

Processes& Processes::Instance() {
    static Processes processes;
    return processes;
}

void Processes::MapProgram(const std::string& deviceProgram, const std::string& hostCommand) {
    for (Mapping& m : programs_) {
        if (EqualsNoCase(m.deviceProgram, deviceProgram)) {
            m.hostCommand = hostCommand;
            return;
        }
    }
    programs_.push_back(Mapping{deviceProgram, hostCommand});
}

bool Processes::Start(const std::string& deviceProgram, const std::string& commandLine) {
    if (launchEnabled_) {
        const Mapping* mapping = nullptr;
        for (const Mapping& m : programs_) {
            if (EqualsNoCase(m.deviceProgram, deviceProgram)) {
                mapping = &m;
            }
        }
        if (!mapping) {
            return false;
        }
        std::vector<std::string> argv = SplitCommandLine(mapping->hostCommand);
        if (argv.empty() || (argv[0] = FindExecutable(argv[0])).empty()) {
            return false;
        }
        for (std::string& arg : SplitCommandLine(commandLine)) {
            if (!arg.empty() && arg[0] == '\\' && DeviceFs::Exists(arg)) {
                arg = DeviceFs::ToHost(arg);
            }
            argv.push_back(std::move(arg));
        }
        if (!SpawnDetached(argv)) {
            return false;
        }
    }
    started_.push_back(StartedProcess{deviceProgram, commandLine});
    return true;
}

bool Processes::ShellOpen(const std::string& devicePath) {
    if (!DeviceFs::Exists(devicePath)) {
        return false;
    }
    if (launchEnabled_ && HaveDisplay()) {
        const std::string opener = FindExecutable("xdg-open");
        if (!opener.empty() && !SpawnDetached({opener, DeviceFs::ToHost(devicePath)})) {
            return false;
        }
    }
    started_.push_back(StartedProcess{devicePath, ""});
    return true;
}

}  // namespace plat
