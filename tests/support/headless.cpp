#include "tests/support/headless.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace {

const Json& NullJson() {
    static const Json null;
    return null;
}

struct Parser {
    const std::string& s;
    size_t i = 0;
    void Skip() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
    }
    bool Value(Json* out) {
        Skip();
        if (i >= s.size())
            return false;
        const char c = s[i];
        if (c == '{') {
            out->kind = Json::kObject;
            ++i;
            Skip();
            if (i < s.size() && s[i] == '}')
                return ++i, true;
            for (;;) {
                Json key;
                if (!Value(&key) || key.kind != Json::kString)
                    return false;
                Skip();
                if (i >= s.size() || s[i] != ':')
                    return false;
                ++i;
                Json v;
                if (!Value(&v))
                    return false;
                out->fields[key.text] = std::move(v);
                Skip();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == '}')
                    return ++i, true;
                return false;
            }
        }
        if (c == '[') {
            out->kind = Json::kArray;
            ++i;
            Skip();
            if (i < s.size() && s[i] == ']')
                return ++i, true;
            for (;;) {
                Json v;
                if (!Value(&v))
                    return false;
                out->items.push_back(std::move(v));
                Skip();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == ']')
                    return ++i, true;
                return false;
            }
        }
        if (c == '"') {
            out->kind = Json::kString;
            ++i;
            while (i < s.size() && s[i] != '"') {
                if (s[i] == '\\' && i + 1 < s.size()) {
                    ++i;
                    switch (s[i]) {
                        case 'n':
                            out->text += '\n';
                            break;
                        case 't':
                            out->text += '\t';
                            break;
                        case 'r':
                            out->text += '\r';
                            break;
                        case 'u': {
                            const unsigned cp = std::stoul(s.substr(i + 1, 4), nullptr, 16);
                            out->text += static_cast<char>(cp);
                            i += 4;
                            break;
                        }
                        default:
                            out->text += s[i];
                    }
                } else {
                    out->text += s[i];
                }
                ++i;
            }
            return i < s.size() && s[i++] == '"';
        }
        if (s.compare(i, 4, "true") == 0) {
            out->kind = Json::kBool;
            out->boolean = true;
            i += 4;
            return true;
        }
        if (s.compare(i, 5, "false") == 0) {
            out->kind = Json::kBool;
            i += 5;
            return true;
        }
        if (s.compare(i, 4, "null") == 0) {
            i += 4;
            return true;
        }
        char* end = nullptr;
        out->number = std::strtod(s.c_str() + i, &end);
        if (end == s.c_str() + i)
            return false;
        out->kind = Json::kNumber;
        i = static_cast<size_t>(end - s.c_str());
        return true;
    }
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

const Json& Json::operator[](const std::string& key) const {
    const auto it = fields.find(key);
    return it == fields.end() ? NullJson() : it->second;
}

const Json& Json::operator[](size_t index) const {
    return index < items.size() ? items[index] : NullJson();
}

bool ParseJson(const std::string& text, Json* out) {
    Parser p{text};
    return p.Value(out);
}

const Json& Json::At(const std::string& path) const {
    const Json* at = this;
    size_t start = 0;
    while (start <= path.size()) {
        size_t dot = path.find('.', start);
        if (dot == std::string::npos)
            dot = path.size();
        const std::string part = path.substr(start, dot - start);
        if (at->kind == kArray && !part.empty() &&
            part.find_first_not_of("0123456789") == std::string::npos)
            at = &(*at)[static_cast<size_t>(std::stoul(part))];
        else
            at = &(*at)[part];
        start = dot + 1;
    }
    return *at;
}

std::string Pick(const Json& value, const std::string& paths) {
    std::istringstream in(paths);
    std::string path;
    std::string out;
    while (in >> path) {
        const Json& v = value.At(path);
        if (!out.empty())
            out += ' ';
        switch (v.kind) {
            case Json::kNull:
                out += "null";
                break;
            case Json::kBool:
                out += v.boolean ? "true" : "false";
                break;
            case Json::kNumber: {
                char buffer[32];
                if (v.number == static_cast<double>(static_cast<long long>(v.number)))
                    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(v.number));
                else
                    std::snprintf(buffer, sizeof buffer, "%g", v.number);
                out += buffer;
                break;
            }
            case Json::kString:
                out += v.text;
                break;
            case Json::kArray:
                out += "[" + std::to_string(v.items.size()) + "]";
                break;
            case Json::kObject:
                out += "{" + std::to_string(v.fields.size()) + "}";
                break;
        }
    }
    return out;
}

const Json& MenuItem(const Json& items, int id) {
    for (const Json& item : items.items) {
        if (item["id"].Int() == id)
            return item;
        const Json& found = MenuItem(item["submenu"], id);
        if (!found.IsNull())
            return found;
    }
    return NullJson();
}

const Json& DialogControl(const Json& state, int id) {
    for (const Json& c : state["dialog"]["controls"].items) {
        if (c["id"].Int() == id)
            return c;
    }
    return NullJson();
}

namespace {

// The REGEDIT4 text holding these values, grouped by section in the order they first appear.
std::string SettingsText(const std::vector<Setting>& settings) {
    std::vector<std::string> sections;
    for (const Setting& s : settings) {
        if (std::find(sections.begin(), sections.end(), s.section) == sections.end())
            sections.push_back(s.section);
    }
    std::string text = "REGEDIT4\n";
    for (const std::string& section : sections) {
        text +=
            "\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\" + section + "]\n";
        for (const Setting& s : settings) {
            if (s.section != section)
                continue;
            text += "\"" + s.name + "\"=";
            if (const int* number = std::get_if<int>(&s.value)) {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(*number));
                text += buffer;
            } else {
                text += '"';
                for (char c : std::get<std::string>(s.value)) {
                    if (c == '\\' || c == '"')
                        text += '\\';
                    text += c;
                }
                text += '"';
            }
            text += '\n';
        }
    }
    return text;
}

}  // namespace

TempDevice::TempDevice() {
    char tmpl[] = "/tmp/velloran-test-XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    root_ = made ? made : "/tmp/velloran-test-failed";
}

TempDevice::~TempDevice() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
    // States and screenshots the script tokens wrote beside the root.
    const std::filesystem::path root(root_);
    const std::string prefix = root.filename().string() + ".";
    for (const auto& entry : std::filesystem::directory_iterator(root.parent_path(), ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(entry.path(), ec);
    }
}

std::string TempDevice::Host(const std::string& devicePath) const {
    std::string out = root_;
    for (char c : devicePath)
        out += c == '\\' ? '/' : c;
    return out;
}

void TempDevice::MakeFolder(const std::string& devicePath) const {
    std::error_code ec;
    std::filesystem::create_directories(Host(devicePath), ec);
}

void TempDevice::WriteFile(const std::string& devicePath, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(Host(devicePath)).parent_path());
    std::ofstream out(Host(devicePath), std::ios::binary);
    out << bytes;
}

bool TempDevice::Exists(const std::string& devicePath) const {
    return std::filesystem::exists(Host(devicePath));
}

std::string TempDevice::ReadFile(const std::string& devicePath) const {
    return Slurp(Host(devicePath));
}

void TempDevice::SkipSampleInstall() const {
    MakeFolder("\\Program Files\\Velloran\\Samples");
    MakeFolder("\\Program Files\\Velloran\\Help");
    WriteFile("\\Program Files\\Velloran\\Help\\index.htm", "<html></html>");
}

void TempDevice::WriteSettings(const std::vector<Setting>& settings) const {
    WriteFile("\\Windows\\registry.reg", SettingsText(settings));
}

std::string TempDevice::ReadSettings() const {
    return ReadFile("\\Windows\\registry.reg");
}

std::string TempDevice::StateToken(const std::string& tag) const {
    return "state:" + root_ + "." + tag + ".json";
}

std::string TempDevice::ShotToken(const std::string& tag) const {
    return "shot:" + ShotPath(tag);
}

std::string TempDevice::ShotPath(const std::string& tag) const {
    return root_ + "." + tag + ".png";
}

Json TempDevice::TakenState(const std::string& tag) const {
    const std::string path = root_ + "." + tag + ".json";
    Json json;
    EXPECT_TRUE(ParseJson(Slurp(path), &json)) << "no state " << tag;
    std::remove(path.c_str());
    return json;
}

RunResult RunHeadless(const TempDevice& device, const std::string& keys, bool screenshot,
                      const std::vector<std::string>& extraArgs) {
    return RunHeadlessAs(device, keys, -1, screenshot, extraArgs, 0);
}

RunResult RunHeadlessAs(const TempDevice& device, const std::string& keys, int uid, bool screenshot,
                        const std::vector<std::string>& extraArgs, unsigned hangSeconds) {
    RunResult result;
    const std::string statePath = device.Root() + ".state.json";
    const std::string shotPath = device.Root() + ".shot.png";
    const std::string errPath = device.Root() + ".stderr.txt";
    std::vector<std::string> args = {VELLORAN_BINARY, "--headless", "--device-root", device.Root(),
                                     "--keys",        keys,         "--state",       statePath};
    if (screenshot) {
        args.push_back("--screenshot");
        args.push_back(shotPath);
        result.screenshot = shotPath;
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::FILE* err = std::freopen(errPath.c_str(), "w", stderr);
        (void)err;
        if (uid >= 0) {
            const gid_t gid = static_cast<gid_t>(uid);
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 ||
                ::setuid(static_cast<uid_t>(uid)) != 0) {
                ::_exit(kCannotSwitchUser);
            }
        }
        if (hangSeconds > 0) {
            ::alarm(hangSeconds);  // survives exec: a hung run ends with SIGALRM
        }
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.stateText = Slurp(statePath);
    result.stderrText = Slurp(errPath);
    ParseJson(result.stateText, &result.state);
    std::remove(statePath.c_str());
    std::remove(errPath.c_str());
    return result;
}

ProgramRun RunProgram(const std::vector<std::string>& args) {
    ProgramRun result;
    char outName[] = "/tmp/velloran-out-XXXXXX";
    char errName[] = "/tmp/velloran-err-XXXXXX";
    const int outFd = ::mkstemp(outName);
    const int errFd = ::mkstemp(errName);
    if (outFd < 0 || errFd < 0) {
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
        }
        std::vector<std::string> all = {VELLORAN_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(outFd);
    ::close(errFd);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.stdoutText = Slurp(outName);
    result.stderrText = Slurp(errName);
    std::remove(outName);
    std::remove(errName);
    return result;
}

bool ReadPng(const std::string& hostPath, Png* out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, hostPath.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr))
        return false;
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->pixels.resize(static_cast<size_t>(out->width) * out->height);
    for (size_t i = 0; i < out->pixels.size(); ++i) {
        out->pixels[i] = (uint32_t{buffer[i * 3]} << 16) | (uint32_t{buffer[i * 3 + 1]} << 8) |
                         buffer[i * 3 + 2];
    }
    return true;
}

std::string SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(stride * height);
    std::string out;
    const auto u16 = [&](uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out += static_cast<char>(b);
            out += static_cast<char>(g);
            out += static_cast<char>(r);
        }
        for (int p = width * 3; p < stride; ++p)
            out += '\0';
    }
    return out;
}

std::string Checkpoints(const TempDevice& device, const std::string& keys) {
    std::istringstream in(keys);
    std::string token;
    std::string out;
    while (in >> token) {
        if (!out.empty())
            out += ' ';
        if (token.size() > 1 && token[0] == '@')
            out += device.StateToken(token.substr(1));
        else if (token.size() > 1 && token[0] == '!')
            out += device.ShotToken(token.substr(1));
        else
            out += token;
    }
    return out;
}

Png TakenShot(const TempDevice& device, const std::string& tag) {
    Png png;
    EXPECT_TRUE(ReadPng(device.ShotPath(tag), &png)) << "no screenshot " << tag;
    std::remove(device.ShotPath(tag).c_str());
    return png;
}

RunResult RunChecked(const TempDevice& device, const std::string& keys,
                     const std::vector<std::string>& extraArgs) {
    RunResult run = RunHeadless(device, Checkpoints(device, keys), false, extraArgs);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    return run;
}

}  // namespace testing_support
