// Against a real OBEX server: openobex's obex_tcp receiving on port 650 (the stand-in's
// default peer) saves what the program sends, byte for byte. The cases share one test so that
// no two servers ever want port 650 at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "tests/support/headless.h"

using testing_support::Pick;
using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

constexpr const char* kObexTcp = "/usr/bin/obex_tcp";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// True when something listens on TCP port 650 (IPv4 or IPv6).
bool Port650Listening() {
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            if (local.size() > 5 && local.substr(local.size() - 5) == ":028A" && state == "0A")
                return true;
        }
    }
    return false;
}

// Polls `done` for up to five seconds.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// obex_tcp in receive mode in its own folder, ended (if it has not ended) when destroyed.
class ObexTcpServer {
  public:
    explicit ObexTcpServer(const std::string& folder) {
        std::fflush(nullptr);  // the child must not write out our buffered output again
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(folder.c_str()) != 0)
                ::_exit(126);
            std::FILE* out = std::freopen((folder + ".log").c_str(), "w", stdout);
            (void)out;
            ::dup2(STDOUT_FILENO, STDERR_FILENO);
            ::execl(kObexTcp, kObexTcp, static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ObexTcpServer() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool WaitListening() const { return WaitFor(Port650Listening); }
    // Waits for the server to end after its one connection.
    bool WaitEnded() {
        ended_ = WaitFor([this] { return ::waitpid(pid_, nullptr, WNOHANG) == pid_; });
        return ended_;
    }

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    return s;
}

TEST(ObexTcpPeer, FilesArriveByteForByteWithTheSuccessTextOkAndTheSound) {
    if (::access(kObexTcp, X_OK) != 0)
        GTEST_SKIP() << "obex_tcp (Debian package openobex-apps) is not installed";
    if (Port650Listening())
        GTEST_SKIP() << "port 650 is taken by another program";
    std::vector<std::pair<std::string, std::string>> files = {
        {"p1500.jpg", Pattern(1500)},
        {"p2048.jpg", Pattern(2048)},
    };
    const std::string jpeg =
        Slurp(std::string(VELLORAN_SHARED_DIR) + "/testdata/libjpeg-turbo-testimages/testorig.jpg");
    if (!jpeg.empty())
        files.emplace_back("testorig.jpg", jpeg);
    for (const auto& [name, bytes] : files) {
        TempDevice device;
        device.SkipSampleInstall();
        device.WriteFile("\\Program Files\\Velloran\\Samples\\" + name, bytes);
        const std::string inbox = device.Root() + ".inbox";
        std::filesystem::create_directories(inbox);
        ObexTcpServer server(inbox);
        ASSERT_TRUE(server.WaitListening()) << Slurp(inbox + ".log");
        const auto run = RunHeadless(device, "cmd:40051 wait:10000");
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_TRUE(server.WaitEnded()) << name;
        EXPECT_EQ(Slurp(inbox + "/" + name), bytes) << name << "\n" << Slurp(inbox + ".log");
        EXPECT_EQ(testing_support::DialogControl(run.state, 2046)["text"].text,
                  "File is transmitted successfully !")
            << name;
        EXPECT_EQ(Pick(run.state, "softkeys softkeys.0.label sounds sounds.0.file"),
                  "[1] OK [1] 4016");
        std::filesystem::remove_all(inbox);
        std::filesystem::remove(inbox + ".log");
    }
}

}  // namespace
