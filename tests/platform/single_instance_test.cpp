#include "platform/os/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include "tests/platform/temp_device.h"

namespace {

using plat::SingleInstance;
using Result = plat::SingleInstance::Result;

// A datagram socket bound at `path`; -1 when that fails.
int Bind(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof addr.sun_path) {
        return -1;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ? fd : -1;
}

TEST(SingleInstance, SecondCopyFindsTheFirstAndRaisesItWithoutEverBlocking) {
    plat_test::TempDevice device;
    // A root too long for a socket address in it puts the socket elsewhere.
    std::string longRoot = device.Root();
    for (int i = 0; i < 4; ++i) {
        longRoot += "/a-rather-long-folder-name-for-the-device-root";
        ASSERT_EQ(::mkdir(longRoot.c_str(), 0700), 0);
    }
    for (const std::string& root : {device.Root(), longRoot}) {
        SCOPED_TRACE(root);
        SingleInstance first;
        ASSERT_EQ(first.Acquire(root), Result::kFirst);
        ASSERT_GE(first.ListenFd(), 0);
        EXPECT_LT(first.SocketPath().size(), sizeof(sockaddr_un{}.sun_path));
        EXPECT_FALSE(first.PollRaise());

        SingleInstance second;
        ASSERT_EQ(second.Acquire(root + "/"), Result::kOtherRunning);
        EXPECT_LT(second.ListenFd(), 0);
        ASSERT_TRUE(second.RequestRaise());
        // A datagram is queued when sendto returns: the socket is readable at once.
        pollfd listening{first.ListenFd(), POLLIN, 0};
        EXPECT_EQ(::poll(&listening, 1, 0), 1);
        EXPECT_TRUE(first.PollRaise());
        EXPECT_FALSE(first.PollRaise());  // consumed
        EXPECT_FALSE(first.RequestRaise());

        // Garbage on the socket is not a raise request.
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, first.SocketPath().c_str());
        ASSERT_EQ(::sendto(fd, "lower\n", 6, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
                  6);
        ::close(fd);
        EXPECT_FALSE(first.PollRaise());
        // A copy that never reads: each request without time to wait returns at once, until
        // its queue is full; then they are refused until it reads them all.
        int delivered = 0;
        while (delivered < 100000 && second.RequestRaise(0)) {
            ++delivered;
        }
        EXPECT_TRUE(delivered >= 1 && delivered < 100000) << delivered;
        EXPECT_FALSE(second.RequestRaise(0));
        EXPECT_TRUE(first.PollRaise());
        EXPECT_TRUE(second.RequestRaise(0));
        if (root == longRoot) {
            EXPECT_NE(first.SocketPath(), plat::SingleInstanceSocketPath(device.Root()));
        }
    }
    SingleInstance missing;
    EXPECT_EQ(missing.Acquire(device.Root() + "/no/such/folder"), Result::kError);
}

TEST(SingleInstance, CopyInAnotherProcessHoldsTheLockUntilItDies) {
    plat_test::TempDevice device;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance first;
        const char ok = first.Acquire(device.Root()) == Result::kFirst ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();  // until killed: nothing is cleaned up
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(ok, 'y');
    {
        SingleInstance second;
        EXPECT_EQ(second.Acquire(device.Root()), Result::kOtherRunning);
        EXPECT_TRUE(second.RequestRaise());
    }
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    // The dead copy left its socket file behind; it must not stand in the way.
    struct stat st {};
    ASSERT_EQ(::stat((device.Root() + "/.velloran.sock").c_str(), &st), 0);
    SingleInstance next;
    ASSERT_EQ(next.Acquire(device.Root()), Result::kFirst);
    SingleInstance other;
    ASSERT_EQ(other.Acquire(device.Root()), Result::kOtherRunning);
    EXPECT_TRUE(other.RequestRaise());
    EXPECT_TRUE(next.PollRaise());
}

TEST(SingleInstance, AFirstCopyNotListeningYetIsAskedAgainUntilItListens) {
    plat_test::TempDevice device;
    char resolved[PATH_MAX];
    ASSERT_NE(::realpath(device.Root().c_str(), resolved), nullptr);
    const std::string socketPath = plat::SingleInstanceSocketPath(resolved);
    // A copy that took the lock and has not listened yet: its socket file is there, unbound.
    const int lock = ::open((device.Root() + "/.velloran.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const int stale = Bind(socketPath);
    ASSERT_GE(stale, 0);
    ::close(stale);

    SingleInstance second;
    ASSERT_EQ(second.Acquire(device.Root()), Result::kOtherRunning);
    EXPECT_FALSE(second.RequestRaise(0));  // gives up instead of waiting for ever
    // Asked with time to spare, the request arrives once the first copy listens. (The minute
    // only guards against a hang.)
    bool delivered = false;
    std::thread asker([&] { delivered = second.RequestRaise(60000); });
    ::unlink(socketPath.c_str());
    const int listener = Bind(socketPath);
    asker.join();
    ASSERT_GE(listener, 0);
    EXPECT_TRUE(delivered);
    char buffer[16] = {};
    EXPECT_EQ(::recv(listener, buffer, sizeof buffer, MSG_DONTWAIT), 6);
    EXPECT_STREQ(buffer, "raise\n");
    ::close(listener);
    ::close(lock);
}

}  // namespace
