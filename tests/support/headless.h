// Running the program through its headless host from tests, and reading what it reports.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace testing_support {

// A parsed JSON value (enough for the state the host writes).
struct Json {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
    bool IsNull() const { return kind == kNull; }
    int Int() const { return static_cast<int>(number); }
    size_t Size() const { return kind == kArray ? items.size() : fields.size(); }
    // The value at a dotted path ("slideShow.running", "files.2.name"); null when absent.
    const Json& At(const std::string& path) const;
};
bool ParseJson(const std::string& text, Json* out);

// The values at blank-separated dotted paths, joined by blanks, so one expectation covers
// several fields and a failure shows them all: Pick(s, "viewMode fullScreen") == "Image true".
// Strings stand as they are, numbers as integers when whole, null as "null", arrays and
// objects as "[N]" and "{N}" with their size.
std::string Pick(const Json& value, const std::string& paths);

// The item with this id anywhere in a menu's items (submenus included), or null.
const Json& MenuItem(const Json& items, int id);
// The control with this id in the open dialog of a state, or null.
const Json& DialogControl(const Json& state, int id);

// One value of the settings file: {section, name, value}, where a value is a string or a
// number (written as a dword).
struct Setting {
    std::string section;
    std::string name;
    std::variant<std::string, int> value;
};

// A device root in a fresh temporary folder, removed afterwards.
class TempDevice {
  public:
    TempDevice();
    ~TempDevice();
    const std::string& Root() const { return root_; }
    // Host path of a device path ("\a\b.jpg").
    std::string Host(const std::string& devicePath) const;
    void MakeFolder(const std::string& devicePath) const;
    void WriteFile(const std::string& devicePath, const std::string& bytes) const;
    bool Exists(const std::string& devicePath) const;
    std::string ReadFile(const std::string& devicePath) const;
    // An empty program folder with a Samples folder, so the first start installs nothing.
    void SkipSampleInstall() const;
    // Writes the settings file (\\Windows\\registry.reg) with these values.
    void WriteSettings(const std::vector<Setting>& settings) const;
    std::string ReadSettings() const;
    // Script tokens that write a state or a screenshot beside the device root under `tag`,
    // and the state one wrote (parsed; a failed parse fails the test).
    std::string StateToken(const std::string& tag) const;
    std::string ShotToken(const std::string& tag) const;
    std::string ShotPath(const std::string& tag) const;
    Json TakenState(const std::string& tag) const;

  private:
    std::string root_;
};

struct RunResult {
    int exitCode = -1;
    Json state;
    std::string stateText;
    std::string screenshot;  // host path of the PNG, when asked for
    std::string stderrText;
};

// Runs `velloran --headless --device-root ROOT --keys KEYS --state ... [--screenshot ...]`.
RunResult RunHeadless(const TempDevice& device, const std::string& keys, bool screenshot = false,
                      const std::vector<std::string>& extraArgs = {});

// The same as another user (`uid` >= 0, with the same number as group), for tests of
// permissions that root would bypass; exit code kCannotSwitchUser when the switch is not
// allowed. With `hangSeconds`, a run still going after that long is ended by SIGALRM (exit
// code 128 + 14), for tests of hangs.
constexpr int kCannotSwitchUser = 126;
RunResult RunHeadlessAs(const TempDevice& device, const std::string& keys, int uid,
                        bool screenshot = false, const std::vector<std::string>& extraArgs = {},
                        unsigned hangSeconds = 0);

// Runs the program with exactly `args` (after the program's name); no input, both outputs kept.
struct ProgramRun {
    int exitCode = -1;
    std::string stdoutText;
    std::string stderrText;
};
ProgramRun RunProgram(const std::vector<std::string>& args);

// Reads an 8-bit RGB(A) PNG; pixel (x, y) as 0xRRGGBB.
struct Png {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool ReadPng(const std::string& hostPath, Png* png);

// Writes a small 24-bit BMP of one colour (for test folders).
std::string SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b);

// A key script in which "@tag" takes a state and "!tag" a screenshot under that tag, to be
// read back with TempDevice::TakenState and TakenShot.
std::string Checkpoints(const TempDevice& device, const std::string& keys);
// The screenshot a script token took under `tag`; a missing one fails the test.
Png TakenShot(const TempDevice& device, const std::string& tag);
// RunHeadless with Checkpoints(keys), no final screenshot; a run that does not end with exit
// code 0 fails the test.
RunResult RunChecked(const TempDevice& device, const std::string& keys,
                     const std::vector<std::string>& extraArgs = {});

}  // namespace testing_support
