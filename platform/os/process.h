// Starting device programs and opening documents, standing in for the phone's process
// creation and shell execution.
//
// Device programs ("\Windows\tmail.exe") run host programs through a table the host fills
// with MapProgram(). Documents open with the desktop's opener (xdg-open) when there is a
// display. Everything that is started is recorded; the headless host turns real launching
// off and reads the record.
#pragma once

#include <string>
#include <vector>

namespace plat {

struct StartedProcess {
    std::string program;      // the device program, or the document for ShellOpen
    std::string commandLine;  // as given ("" for ShellOpen)
};

class Processes {
  public:
    static Processes& Instance();

    // `hostCommand` is a program with optional fixed arguments, split like a command line
    // ("/usr/bin/thunderbird -compose"); it is never given to a shell.
    void MapProgram(const std::string& deviceProgram, const std::string& hostCommand);

    // Starts a device program with a command line (split into arguments the way the phone's
    // programs split theirs; arguments naming existing device files become host paths).
    // With launching off, only records and succeeds. With launching on, false when the
    // program is not mapped or its host program cannot be found.
    bool Start(const std::string& deviceProgram, const std::string& commandLine);
    // Opens an existing device file with the desktop's opener; false when it does not exist.
    // Without a display or xdg-open, it is only recorded.
    bool ShellOpen(const std::string& devicePath);

    const std::vector<StartedProcess>& Started() const { return started_; }
    void ClearStarted() { started_.clear(); }
    void SetLaunchEnabled(bool enabled) { launchEnabled_ = enabled; }
    bool LaunchEnabled() const { return launchEnabled_; }

  private:
    struct Mapping {
        std::string deviceProgram;
        std::string hostCommand;
    };
    std::vector<Mapping> programs_;
    std::vector<StartedProcess> started_;
    bool launchEnabled_ = true;
};

// Splits a command line as the phone's C runtime does: blanks separate arguments, double
// quotes group, and backslashes are literal except before a double quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The full path of `program` (searched in $PATH when it has no "/"), or "" when not found.
std::string FindExecutable(const std::string& program);

// Runs argv[0] (a full path) with the given arguments as a detached process in its own
// session, leaving no child behind to reap. No shell ever sees the arguments.
bool SpawnDetached(const std::vector<std::string>& argv);

}  // namespace plat
