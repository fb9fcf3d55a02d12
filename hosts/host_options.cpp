#include "hosts/host_options.h"

#include <cstdlib>
#include <cstring>

#include "platform/os/ir_peers.h"

namespace {

bool ParseSize(const std::string& text, int* w, int* h) {
    const size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    char* end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + x)
        return false;
    const long b = std::strtol(text.c_str() + x + 1, &end, 10);
    if (*end != '\0')
        return false;
    if (a < 120 || b < 120 || a > 2000 || b > 2000)
        return false;
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

}  // namespace

const char* UsageText() {
    return "usage: velloran [--device-root DIR] [--screen WxH] [--scale N] [--ir-peer "
           "NAME=HOST:PORT]...\n"
           "                [--headless --keys SCRIPT [--screenshot FILE.png] [--state FILE.json]"
           " [--mic FILE.wav]]\n";
}

std::string DefaultDeviceRoot() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return base + "/velloran/device";
}

bool ParseHostOptions(int argc, char** argv, HostOptions* o, std::string* error) {
    if (argc > 0 && argv[0]) {
        std::string name = argv[0];
        const size_t slash = name.rfind('/');
        if (slash != std::string::npos)
            name = name.substr(slash + 1);
        const size_t dot = name.find('.');
        if (dot != std::string::npos)
            name = name.substr(0, dot);
        if (!name.empty())
            o->exeBaseName = name;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--device-root") {
            if (!value(&o->deviceRoot))
                return false;
        } else if (arg == "--screen") {
            if (!value(&v))
                return false;
            if (!ParseSize(v, &o->screenWidth, &o->screenHeight)) {
                *error = "--screen takes WxH (120 to 2000 each), e.g. 176x220";
                return false;
            }
        } else if (arg == "--scale") {
            if (!value(&v))
                return false;
            o->scale = std::atoi(v.c_str());
            if (o->scale < 1 || o->scale > 8) {
                *error = "--scale takes 1 to 8";
                return false;
            }
        } else if (arg == "--ir-peer") {
            plat::IrPeer peer;
            if (!value(&v))
                return false;
            if (!plat::ParseIrPeer(v, &peer)) {
                *error =
                    "--ir-peer takes NAME=HOST:PORT (a name of 1 to 22 bytes, a port of 1 "
                    "to 65535)";
                return false;
            }
            o->irPeers.push_back(v);
        } else if (arg == "--headless") {
            o->headless = true;
        } else if (arg == "--keys") {
            if (!value(&o->keys))
                return false;
        } else if (arg == "--screenshot") {
            if (!value(&o->screenshot))
                return false;
        } else if (arg == "--state") {
            if (!value(&o->state))
                return false;
        } else if (arg == "--mic") {
            if (!value(&o->mic))
                return false;
        } else if (arg == "--help" || arg == "-h") {
            *error = "";
            return false;
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    if (!o->headless && (!o->keys.empty() || !o->screenshot.empty() || !o->state.empty())) {
        *error = "--keys, --screenshot and --state go with --headless";
        return false;
    }
    if (o->deviceRoot.empty()) {
        o->deviceRoot = DefaultDeviceRoot();
    }
    return true;
}
