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

#include <chrono>
#include <climits>
#include <cstring>
#include <string>

#include "tests/platform/temp_device.h"

namespace {

using plat::SingleInstance;
using Result = plat::SingleInstance::Result;
using Clock = std::chrono::steady_clock;

bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) == 1;
}

// Leaves a socket file at `path` with nobody listening, as a crashed copy would.
void LeaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
}

TEST(SingleInstance, SecondCopyFindsTheFirstAndRaisesIt) {
    plat_test::TempDevice device;
    SingleInstance first;
    ASSERT_EQ(first.Acquire(device.Root()), Result::kFirst);
    ASSERT_GE(first.ListenFd(), 0);
    EXPECT_FALSE(first.PollRaise());

    SingleInstance second;
    ASSERT_EQ(second.Acquire(device.Root() + "/"), Result::kOtherRunning);
    EXPECT_LT(second.ListenFd(), 0);
    ASSERT_TRUE(second.RequestRaise());
    ASSERT_TRUE(Readable(first.ListenFd(), 1000));
    EXPECT_TRUE(first.PollRaise());
    EXPECT_FALSE(first.PollRaise());  // consumed
    EXPECT_FALSE(first.RequestRaise());

    // Garbage on the socket is not a raise request.
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, first.SocketPath().c_str());
    ASSERT_EQ(::sendto(fd, "lower\n", 6, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 6);
    ::close(fd);
    EXPECT_FALSE(first.PollRaise());

    SingleInstance missing;
    EXPECT_EQ(missing.Acquire(device.Root() + "/no/such/folder"), Result::kError);
}

TEST(SingleInstance, CopyInAnotherProcessHoldsTheLockUntilItDies) {
    plat_test::TempDevice device;
    int ready[2];
    int die[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(die), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance* first = new SingleInstance;  // never destroyed: the child "crashes"
        const char ok = first->Acquire(device.Root()) == Result::kFirst ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char c;
        (void)!::read(die[0], &c, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    {
        SingleInstance second;
        EXPECT_EQ(second.Acquire(device.Root()), Result::kOtherRunning);
        EXPECT_TRUE(second.RequestRaise());
    }
    ASSERT_EQ(::write(die[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : {ready[0], ready[1], die[0], die[1]}) {
        ::close(fd);
    }
    // The dead copy left its socket file behind; it must not stand in the way.
    struct stat st {};
    ASSERT_EQ(::stat((device.Root() + "/.velloran.sock").c_str(), &st), 0);
    SingleInstance next;
    ASSERT_EQ(next.Acquire(device.Root()), Result::kFirst);
    SingleInstance other;
    ASSERT_EQ(other.Acquire(device.Root()), Result::kOtherRunning);
    EXPECT_TRUE(other.RequestRaise());
    ASSERT_TRUE(Readable(next.ListenFd(), 1000));
    EXPECT_TRUE(next.PollRaise());
}

TEST(SingleInstance, HungFirstCopyWithoutListenerTimesOut) {
    plat_test::TempDevice device;
    char resolved[PATH_MAX];
    ASSERT_NE(::realpath(device.Root().c_str(), resolved), nullptr);
    // A copy that took the lock and hung before listening.
    const int lock = ::open((device.Root() + "/.velloran.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    LeaveStaleSocket(plat::SingleInstanceSocketPath(resolved));

    SingleInstance second;
    ASSERT_EQ(second.Acquire(device.Root()), Result::kOtherRunning);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(second.RequestRaise());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(seconds, 1.9);
    EXPECT_LT(seconds, 2.6);
    ::close(lock);
}

TEST(SingleInstance, HungFirstCopyThatNeverReadsDoesNotBlockRequests) {
    plat_test::TempDevice device;
    SingleInstance first;
    ASSERT_EQ(first.Acquire(device.Root()), Result::kFirst);
    SingleInstance second;
    ASSERT_EQ(second.Acquire(device.Root()), Result::kOtherRunning);
    int delivered = 0;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 40; ++i) {
        delivered += second.RequestRaise(100) ? 1 : 0;
    }
    EXPECT_GE(delivered, 1);
    EXPECT_LT(delivered, 40) << "the queue of a copy that never reads fills up";
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 40 * 0.1 + 1.0);
    EXPECT_TRUE(first.PollRaise());
}

TEST(SingleInstance, LongDeviceRootUsesAShortSocketPath) {
    plat_test::TempDevice device;
    std::string root = device.Root();
    for (int i = 0; i < 4; ++i) {
        root += "/a-rather-long-folder-name-for-the-device-root";
        ASSERT_EQ(::mkdir(root.c_str(), 0700), 0);
    }
    SingleInstance first;
    ASSERT_EQ(first.Acquire(root), Result::kFirst);
    EXPECT_LT(first.SocketPath().size(), sizeof(sockaddr_un{}.sun_path));
    EXPECT_NE(first.SocketPath(), plat::SingleInstanceSocketPath(device.Root()));
    ASSERT_GE(first.ListenFd(), 0);
    SingleInstance second;
    ASSERT_EQ(second.Acquire(root), Result::kOtherRunning);
    EXPECT_TRUE(second.RequestRaise());
    ASSERT_TRUE(Readable(first.ListenFd(), 1000));
    EXPECT_TRUE(first.PollRaise());
}

}  // namespace
