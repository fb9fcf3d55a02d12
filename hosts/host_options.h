// The command line of the emulated phone, and the start-up both hosts share.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
    std::string deviceRoot;  // host folder; default under $XDG_DATA_HOME
    int screenWidth = 176;
    int screenHeight = 220;
    int scale = 2;
    std::vector<std::string> irPeers;  // NAME=HOST:PORT
    bool headless = false;
    std::string keys;
    std::string screenshot;
    std::string state;
    std::string mic;
    // Threads decoding thumbnails: -1 one per core, 0 the program's own thread.
    int decodeThreads = -1;
    // PATH: a host folder, or a picture file, to browse as the storage card ("" when none).
    std::string path;
    std::string exeBaseName = "velloran";
};

// Exit codes of the program.
constexpr int kExitDone = 0;
constexpr int kExitCannotRun = 1;
constexpr int kExitUsage = 2;
constexpr int kExitAnotherRunning = 3;
constexpr int kExitOutputFailed = 4;

// What the command line asks for.
enum class ParseResult { kRun, kHelp, kVersion, kError };

// Parses argv strictly: every option takes "--opt value" or "--opt=value", every value is
// checked, at most one PATH. kError sets `error`.
ParseResult ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);
// A whole decimal number within [low, high]: no sign, blanks, fraction or trailing text.
bool ParseNumber(const std::string& text, long low, long high, long* out);
// Checks one --ir-peer value, NAME=HOST:PORT with a port of 1 to 65535; false sets `error`.
bool ValidIrPeer(const std::string& value, std::string* error);
std::string DefaultDeviceRoot();
const char* UsageText();
const char* HelpText();
constexpr const char* kVersionText = "velloran 1.0";
