// The emulated phone: runs the program in a window (SDL) or headless for scripts and tests.
#include <cstdio>

#include "hosts/app_runner.h"
#include "hosts/headless/headless_host.h"
#include "hosts/host_options.h"
#include "hosts/sdl/sdl_host.h"
#include "platform/os/process.h"

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, &options, &error)) {
        if (!error.empty())
            std::fprintf(stderr, "velloran: %s\n", error.c_str());
        std::fputs(UsageText(), error.empty() ? stdout : stderr);
        return error.empty() ? 0 : 2;
    }
    AppRunner runner(options);
    if (options.headless) {
        HeadlessHost host(options);
        if (!host.ScriptValid(&error)) {
            std::fprintf(stderr, "velloran: %s\n", error.c_str());
            return 2;
        }
        const int prepared = runner.Prepare(AppRunner::kAnotherRunning);
        if (prepared >= 0)
            return prepared;
        plat::Processes::Instance().SetLaunchEnabled(false);
        runner.Run(&host);
        return 0;
    }
    const int prepared = runner.Prepare(0);
    if (prepared >= 0)
        return prepared;
    SdlHost host(options, &runner.Instance());
    if (!host.Open())
        return 1;
    plat::Processes::Instance().MapProgram("\\Windows\\tmail.exe", "xdg-email");
    return runner.Run(&host);
}
