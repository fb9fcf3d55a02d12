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
    std::string exeBaseName = "velloran";
};

// Parses argv; false with `error` set on a bad command line.
bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);
std::string DefaultDeviceRoot();
const char* UsageText();
