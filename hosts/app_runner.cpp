#include "hosts/app_runner.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/app.h"
#include "core/main_window.h"
#include "platform/device_fs.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace {

bool MakeFolders(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int AppRunner::Prepare(int exitCodeWhenOtherRuns) {
    if (!MakeFolders(options_.deviceRoot)) {
        std::fprintf(stderr, "velloran: cannot create the device root %s\n",
                     options_.deviceRoot.c_str());
        return kStartFailed;
    }
    char resolved[PATH_MAX];
    if (!::realpath(options_.deviceRoot.c_str(), resolved)) {
        std::fprintf(stderr, "velloran: cannot open the device root %s\n",
                     options_.deviceRoot.c_str());
        return kStartFailed;
    }
    hostRoot_ = resolved;
    switch (instance_.Acquire(hostRoot_)) {
        case plat::SingleInstance::Result::kFirst:
            break;
        case plat::SingleInstance::Result::kOtherRunning:
            instance_.RequestRaise();
            return exitCodeWhenOtherRuns;
        case plat::SingleInstance::Result::kError:
            std::fprintf(stderr, "velloran: cannot lock the device root %s\n", hostRoot_.c_str());
            return kStartFailed;
    }
    plat::DeviceFs::SetRoot(hostRoot_);
    return -1;
}

int AppRunner::Run(plat::Host* host) {
    App().exeBaseName = options_.exeBaseName;
    plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(host, options_.screenWidth, options_.screenHeight);
    plat::Shell::Init();
    int code = 0;
    if (InitApplication() && InitInstance()) {
        code = RunMessageLoop();
    }
    TearDownApplication();
    ws.Shutdown();
    return code;
}
