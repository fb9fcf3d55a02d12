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
#include "platform/os/text.h"
#include "platform/shell/home_screen.h"
#include "platform/shell/shell.h"

namespace {

// True when `text` is well-formed UTF-8 (decoding and encoding it again changes nothing).
bool IsUtf8(const std::string& text) {
    const std::vector<char32_t> points = plat::DecodeUtf8(text);
    return plat::EncodeUtf8(std::u32string(points.begin(), points.end())) == text;
}

}  // namespace

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
            if (instance_.RequestRaise()) {
                std::fprintf(stderr,
                             "velloran: already running on the device root %s; brought that "
                             "copy forward%s\n",
                             hostRoot_.c_str(),
                             options_.headless        ? " (the key script was not played)"
                             : !options_.path.empty() ? " (PATH was not opened there)"
                                                      : "");
            } else {
                std::fprintf(stderr,
                             "velloran: already running on the device root %s, but it did not "
                             "answer the request to come forward\n",
                             hostRoot_.c_str());
            }
            return exitCodeWhenOtherRuns;
        case plat::SingleInstance::Result::kError:
            std::fprintf(stderr, "velloran: cannot lock the device root %s\n", hostRoot_.c_str());
            return kStartFailed;
    }
    plat::DeviceFs::SetRoot(hostRoot_);
    if (!options_.path.empty() && !MountPath()) {
        return kUsage;
    }
    return -1;
}

bool AppRunner::MountPath() {
    char resolved[PATH_MAX];
    if (!::realpath(options_.path.c_str(), resolved)) {
        std::fprintf(stderr, "velloran: cannot open PATH %s\n", options_.path.c_str());
        return false;
    }
    std::string folder = resolved;
    std::string picture;
    if (!std::filesystem::is_directory(folder)) {
        const size_t slash = folder.rfind('/');
        picture = folder.substr(slash + 1);
        folder = slash == 0 ? "/" : folder.substr(0, slash);
    }
    // The card is the user's: it may not be (or lie in) the device, whose files the program
    // writes, nor the device lie in it.
    const auto within = [](const std::string& inner, const std::string& outer) {
        return inner == outer || outer == "/" || inner.rfind(outer + "/", 0) == 0;
    };
    if (within(folder, hostRoot_) || within(hostRoot_, folder)) {
        std::fprintf(stderr,
                     "velloran: PATH %s and the device root %s overlap; give a folder outside "
                     "the device root (or another --device-root)\n",
                     folder.c_str(), hostRoot_.c_str());
        return false;
    }
    if (!picture.empty()) {
        const std::string devicePath = std::string(kCardFolder) + "\\" + picture;
        bool expressible = plat::DeviceFs::IsValidPath(devicePath) &&
                           picture.find('\\') == std::string::npos && IsUtf8(picture);
        for (unsigned char c : picture) {
            expressible = expressible && c >= 0x20 && c != 0x7F;
        }
        if (!expressible) {
            std::fprintf(stderr, "velloran: the phone cannot name the picture %s\n",
                         options_.path.c_str());
            return false;
        }
    }
    if (!plat::DeviceFs::MountCard(folder)) {
        std::fprintf(stderr, "velloran: cannot show %s as the storage card\n", folder.c_str());
        return false;
    }
    startPicture_ = picture;
    return true;
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
    App().decodeThreads = options_.decodeThreads;
    if (!options_.path.empty()) {
        App().startFolder = kCardFolder;
        App().startPicture = startPicture_;
    }
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
