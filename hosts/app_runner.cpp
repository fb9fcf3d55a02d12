#include "hosts/app_runner.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "core/app.h"
#include "imaging/loaders.h"
#include "platform/os/device_fs.h"
#include "platform/os/ir_peers.h"
#include "platform/os/registry.h"
#include "platform/shell/home_screen.h"
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

namespace {

// The Home Screen's pictures are decoded by the program's own loaders, fitted to the screen.
std::unique_ptr<plat::Bitmap> LoadDesktopPicture(const std::string& devicePath, int width,
                                                 int height) {
    imaging::ImagingContext context;
    context.screenWidth = width;
    context.screenHeight = height;
    imaging::ImageBuffer picture;
    if (imaging::LoadImageFile(devicePath, &picture, 1, 1, context) != 1 ||
        picture.BitsPerPixel() != 24) {
        return nullptr;
    }
    std::unique_ptr<plat::Bitmap> bitmap = plat::Bitmap::Create(picture.Width(), picture.Height());
    if (!bitmap) {
        return nullptr;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        picture.GetRow(y, bitmap->Row(y));
    }
    return bitmap;
}

}  // namespace

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
    plat::HomeScreen::SetPictureLoader(LoadDesktopPicture);
    ws.SetHomeKeyAction(plat::HomeScreen::HomeKey);
    plat::HomeScreen::SetReturnLabel(LoadStr(kStrProgramName));
    int code = 0;
    if (InitApplication() && InitInstance()) {
        code = RunMessageLoop();
    }
    TearDownApplication();
    ws.Shutdown();
    return code;
}
