// The emulated phone: runs the program in a window (SDL) or headless for scripts and tests.
#include <cstdio>

#include "hosts/app_runner.h"
#include "hosts/close_signals.h"
#include "hosts/headless/headless_host.h"
#include "hosts/host_options.h"
#include "hosts/sdl/sdl_host.h"
#include "platform/os/process.h"

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    switch (ParseHostOptions(argc, argv, &options, &error)) {
        case ParseResult::kHelp:
            std::fputs(HelpText(), stdout);
            return kExitDone;
        case ParseResult::kVersion:
            std::printf("%s\n", kVersionText);
            return kExitDone;
        case ParseResult::kError:
            std::fprintf(stderr, "velloran: %s\n", error.c_str());
            std::fputs(UsageText(), stderr);
            return kExitUsage;
        case ParseResult::kRun:
            break;
    }
    InstallCloseSignals();
    AppRunner runner(options);
    if (options.headless) {
        HeadlessHost host(options);
        if (!host.ScriptValid(&error) || !host.LoadMicrophone(&error)) {
            std::fprintf(stderr, "velloran: %s\n", error.c_str());
            return kExitUsage;
        }
        const int prepared = runner.Prepare(kExitAnotherRunning);
        if (prepared >= 0)
            return prepared;
        plat::Processes::Instance().SetLaunchEnabled(false);
        runner.Run(&host);
        return host.OutputFailed() ? kExitOutputFailed : kExitDone;
    }
    const int prepared = runner.Prepare(kExitDone);
    if (prepared >= 0)
        return prepared;
    SdlHost host(options, &runner.Instance());
    if (!host.Open())
        return kExitCannotRun;
    plat::Processes::Instance().MapProgram("\\Windows\\tmail.exe", "xdg-email",
                                           plat::MailAttachArguments);
    return runner.Run(&host);
}
