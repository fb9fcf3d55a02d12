#include "hosts/app_runner.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "core/app.h"
#include "platform/os/device_fs.h"
#include "platform/os/ir_peers.h"
#include "platform/os/registry.h"
#include "platform/shell/shell.h"

int AppRunner::Prepare(int exitCodeWhenOtherRuns) {
    std::error_code error;
    std::filesystem::create_directories(options_.deviceRoot, error);
    if (!std::filesystem::is_directory(options_.deviceRoot, error)) {
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
    std::vector<plat::IrPeer> peers;
    for (const std::string& text : options_.irPeers) {
        plat::IrPeer peer;
        if (plat::ParseIrPeer(text, &peer)) {
            peers.push_back(std::move(peer));
        }
    }
    plat::SetIrPeers(std::move(peers));
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
