#include "hosts/host_options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

#include "platform/os/ir_peers.h"

namespace {

bool ParseSize(const std::string& text, int* w, int* h) {
    const size_t x = text.find('x');
    long a = 0, b = 0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 120, 2000, &a) ||
        !ParseNumber(text.substr(x + 1), 120, 2000, &b)) {
        return false;
    }
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

bool HasPictureExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "gif";
}

// PATH must be a folder, or a picture file by its extension, that can be read.
bool CheckPath(const std::string& path, std::string* error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        *error = "PATH " + path + " does not exist";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::access(path.c_str(), R_OK | X_OK) != 0) {
            *error = "PATH " + path + " cannot be read";
            return false;
        }
        return true;
    }
    if (!S_ISREG(st.st_mode) || !HasPictureExtension(path)) {
        *error = "PATH " + path + " is neither a folder nor a .jpg, .jpeg, .bmp or .gif picture";
        return false;
    }
    if (::access(path.c_str(), R_OK) != 0) {
        *error = "PATH " + path + " cannot be read";
        return false;
    }
    return true;
}

}  // namespace

const char* UsageText() {
    return "usage: velloran [--device-root DIR] [--screen WxH] [--scale N]\n"
           "                [--ir-peer NAME=HOST:PORT]... [--decode-threads N]\n"
           "                [--headless --keys SCRIPT\n"
           "                [--screenshot FILE.png] [--state FILE.json] [--mic FILE.wav]]\n"
           "                [--help] [--version] [PATH]\n"
           "Try 'velloran --help' for more.\n";
}

const char* HelpText() {
    return "usage: velloran [options] [PATH]\n"
           "\n"
           "A picture browser for a keypad phone, run on an emulated phone.\n"
           "\n"
           "PATH                    a folder, or a .jpg, .jpeg, .bmp or .gif picture: its folder\n"
           "                        is shown as the phone's storage card (\\Storage Card) and\n"
           "                        the program starts there (a picture opens in the image\n"
           "                        view). Nothing of the program's own is written into it.\n"
           "\n"
           "Options take their value as '--opt value' or '--opt=value'.\n"
           "  --device-root DIR     the host folder standing for the phone's file system\n"
           "                        (default $XDG_DATA_HOME/velloran/device)\n"
           "  --screen WxH          the phone's screen, 120 to 2000 each (default 176x220)\n"
           "  --scale N             the window's zoom, 1 to 8 (default 2); lowered to fit the\n"
           "                        display\n"
           "  --ir-peer NAME=HOST:PORT\n"
           "                        an infrared peer reached over TCP, port 1 to 65535\n"
           "                        (may be given more than once)\n"
           "  --headless            open no window; play the key script instead\n"
           "  --keys SCRIPT         the key script (with --headless)\n"
           "  --screenshot FILE.png a screenshot at the end of the script (with --headless)\n"
           "  --state FILE.json     the program's state at the end of the script (with\n"
           "                        --headless)\n"
           "  --mic FILE.wav        an existing WAVE file heard by the microphone (with\n"
           "                        --headless)\n"
           "  --decode-threads N    threads that decode thumbnails, 0 to 64 (default one per\n"
           "                        processor core; 0 decodes them while painting)\n"
           "  --help                this text\n"
           "  --version             the program's name and version\n"
           "\n"
           "Exit codes: 0 done; 1 cannot run (no display, device root unusable); 2 usage\n"
           "error (bad option, PATH or key-script token); 3 another copy runs on this device\n"
           "root (headless; the running copy is brought forward); 4 a screenshot or state\n"
           "file could not be written.\n"
           "\n"
           "Keys: F1 left softkey, F2 right softkey, arrows direction pad, Enter or Space\n"
           "action key, Esc or Backspace Back, Home Home, 0-9 * # number keys. A game\n"
           "controller: d-pad, A action, B Back, shoulders softkeys, Start Home.\n"
           "\n"
           "Key script tokens: Left Right Up Down Enter Back Home SoftLeft SoftRight 0-9 Star\n"
           "Pound, KEY*N (held, repeat N), wait:MS, cmd:ID, type:TEXT (_ is a blank),\n"
           "shot:FILE, state:FILE, and close (the window is closed; ends the script).\n";
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

// A whole decimal number within [low, high]: no sign, blanks, fraction or trailing text.
bool ParseNumber(const std::string& text, long low, long high, long* out) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + (c - '0');
    }
    if (n < low || n > high) {
        return false;
    }
    *out = n;
    return true;
}

bool ValidIrPeer(const std::string& value, std::string* error) {
    plat::IrPeer peer;
    if (!plat::ParseIrPeer(value, &peer)) {
        *error =
            "--ir-peer takes NAME=HOST:PORT (a name of 1 to 22 bytes, a port of 1 to "
            "65535), not '" +
            value + "'";
        return false;
    }
    return true;
}

ParseResult ParseHostOptions(int argc, char** argv, HostOptions* o, std::string* error) {
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
    // Options with a value, each with the check of its value.
    using Setter = std::function<bool(const std::string&)>;
    const auto nonEmpty = [error](const char* option, std::string* field) {
        return Setter([option, field, error](const std::string& v) {
            if (v.empty()) {
                *error = std::string(option) + " needs a value";
                return false;
            }
            *field = v;
            return true;
        });
    };
    const auto wholeNumber = [error](const char* option, long low, long high, int* field) {
        return Setter([option, low, high, field, error](const std::string& v) {
            long n = 0;
            if (!ParseNumber(v, low, high, &n)) {
                *error = std::string(option) + " takes a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", not '" + v + "'";
                return false;
            }
            *field = static_cast<int>(n);
            return true;
        });
    };
    std::map<std::string, Setter> valued = {
        {"--device-root", nonEmpty("--device-root", &o->deviceRoot)},
        // An empty script starts the program and ends it.
        {"--keys",
         [o](const std::string& v) {
             o->keys = v;
             return true;
         }},
        {"--screenshot", nonEmpty("--screenshot", &o->screenshot)},
        {"--state", nonEmpty("--state", &o->state)},
        {"--screen",
         [o, error](const std::string& v) {
             if (!ParseSize(v, &o->screenWidth, &o->screenHeight)) {
                 *error = "--screen takes WxH, 120 to 2000 each (e.g. 176x220), not '" + v + "'";
                 return false;
             }
             return true;
         }},
        {"--scale", wholeNumber("--scale", 1, 8, &o->scale)},
        {"--ir-peer",
         [o, error](const std::string& v) {
             if (!ValidIrPeer(v, error)) {
                 return false;
             }
             o->irPeers.push_back(v);
             return true;
         }},
        {"--decode-threads", wholeNumber("--decode-threads", 0, 64, &o->decodeThreads)},
        {"--mic",
         [o, error](const std::string& v) {
             struct stat st {};
             if (v.empty() || ::stat(v.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                 ::access(v.c_str(), R_OK) != 0) {
                 *error = "--mic takes a readable WAVE file, not '" + v + "'";
                 return false;
             }
             o->mic = v;
             return true;
         }},
    };
    bool help = false, version = false, optionsEnded = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto setter = valued.find(name);
        if (setter != valued.end()) {
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                *error = name + " needs a value";
                return ParseResult::kError;
            }
            if (!setter->second(value)) {
                return ParseResult::kError;
            }
            continue;
        }
        if (equals != std::string::npos &&
            (name == "--headless" || name == "--help" || name == "--version")) {
            *error = name + " takes no value";
            return ParseResult::kError;
        }
        if (arg == "--headless") {
            o->headless = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else {
            *error = "unknown option " + arg;
            return ParseResult::kError;
        }
    }
    if (help) {
        return ParseResult::kHelp;
    }
    if (version) {
        return ParseResult::kVersion;
    }
    if (!o->headless &&
        (!o->keys.empty() || !o->screenshot.empty() || !o->state.empty() || !o->mic.empty())) {
        *error = "--keys, --screenshot, --state and --mic go with --headless";
        return ParseResult::kError;
    }
    if (paths.size() > 1) {
        *error = "only one PATH may be given";
        return ParseResult::kError;
    }
    if (!paths.empty()) {
        if (!CheckPath(paths[0], error)) {
            return ParseResult::kError;
        }
        o->path = paths[0];
    }
    if (o->deviceRoot.empty()) {
        o->deviceRoot = DefaultDeviceRoot();
    }
    return ParseResult::kRun;
}
