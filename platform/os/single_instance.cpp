#include "platform/os/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace plat {
namespace {

constexpr char kLockName[] = "/.velloran.lock";
constexpr char kSocketName[] = "/.velloran.sock";
constexpr char kRaise[] = "raise\n";

std::string Absolute(const std::string& root) {
    char resolved[PATH_MAX];
    if (::realpath(root.c_str(), resolved)) {
        return resolved;
    }
    return root;
}

bool FitsSocketAddress(const std::string& path) {
    return !path.empty() && path.size() < sizeof(sockaddr_un{}.sun_path);
}

bool MakeAddress(const std::string& path, sockaddr_un* addr) {
    if (!FitsSocketAddress(path)) {
        return false;
    }
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

uint64_t Fnv1a(const std::string& s) {
    uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// A per-root file name outside the device root: in $XDG_RUNTIME_DIR, else in /tmp.
std::string RuntimePath(const std::string& absoluteRoot, const char* suffix) {
    char name[64];
    std::snprintf(name, sizeof name, "/velloran-%016llx%s",
                  static_cast<unsigned long long>(Fnv1a(absoluteRoot)), suffix);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && FitsSocketAddress(runtime + std::string(name)) &&
        ::access(runtime, W_OK) == 0) {
        return runtime + std::string(name);
    }
    std::snprintf(name, sizeof name, "/tmp/velloran-%u-%016llx%s",
                  static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(Fnv1a(absoluteRoot)), suffix);
    return name;
}

// Whether this process may create files in the device root: false for an existing folder it
// cannot write (a read-only root), true otherwise (a missing root fails where it is).
bool RootWritable(const std::string& absoluteRoot) {
    struct stat st {};
    if (::stat(absoluteRoot.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return true;
    }
    return ::access(absoluteRoot.c_str(), W_OK) == 0;
}

}  // namespace

std::string SingleInstanceSocketPath(const std::string& absoluteRoot) {
    const std::string local = absoluteRoot + kSocketName;
    if (FitsSocketAddress(local) && RootWritable(absoluteRoot)) {
        return local;
    }
    return RuntimePath(absoluteRoot, ".sock");
}

std::string SingleInstanceLockPath(const std::string& absoluteRoot) {
    const std::string local = absoluteRoot + kLockName;
    if (RootWritable(absoluteRoot) || ::access(local.c_str(), F_OK) == 0) {
        return local;
    }
    return RuntimePath(absoluteRoot, ".lock");
}

SingleInstance::~SingleInstance() {
    Release();
}

void SingleInstance::Release() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    // Still holding the lock, so the socket file is ours to remove.
    if (first_ && !socketPath_.empty()) {
        ::unlink(socketPath_.c_str());
    }
    first_ = false;
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

SingleInstance::Result SingleInstance::Acquire(const std::string& hostDeviceRoot) {
    Release();
    const std::string root = Absolute(hostDeviceRoot);
    socketPath_ = SingleInstanceSocketPath(root);
    const std::string lockPath = SingleInstanceLockPath(root);
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd_ < 0 && (errno == EROFS || errno == EACCES)) {
        // A lock file left on a root that is read-only now: flock needs no write access.
        lockFd_ = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (lockFd_ < 0) {
        return Result::kError;
    }
    int rc;
    do {
        rc = ::flock(lockFd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(lockFd_);
        lockFd_ = -1;
        return busy ? Result::kOtherRunning : Result::kError;
    }
    first_ = true;

    // Whatever is at the socket path was left by a copy that no longer holds the lock.
    ::unlink(socketPath_.c_str());
    sockaddr_un addr;
    if (!MakeAddress(socketPath_, &addr)) {
        return Result::kFirst;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return Result::kFirst;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return Result::kFirst;
    }
    ::chmod(socketPath_.c_str(), 0600);
    listenFd_ = fd;
    return Result::kFirst;
}

bool SingleInstance::RequestRaise(int timeoutMs) {
    sockaddr_un addr;
    if (first_ || !MakeAddress(socketPath_, &addr)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool sent = false;
    for (;;) {
        const ssize_t n = ::sendto(fd, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        if (n == static_cast<ssize_t>(sizeof kRaise - 1)) {
            sent = true;
            break;
        }
        // Not listening yet (still starting, or hung before listening), or its queue is full
        // (hung while listening): try again until the deadline.
        const int error = n < 0 ? errno : 0;
        const bool retry = error == ECONNREFUSED || error == ENOENT || error == EAGAIN ||
                           error == EWOULDBLOCK || error == EINTR;
        const Clock::time_point now = Clock::now();
        if (!retry || now >= deadline) {
            break;
        }
        std::this_thread::sleep_for(
            std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(20)));
    }
    ::close(fd);
    return sent;
}

bool SingleInstance::PollRaise() {
    if (listenFd_ < 0) {
        return false;
    }
    bool raise = false;
    char buffer[64];
    for (;;) {
        const ssize_t n = ::recv(listenFd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (static_cast<size_t>(n) == sizeof kRaise - 1 &&
            std::memcmp(buffer, kRaise, sizeof kRaise - 1) == 0) {
            raise = true;
        }
    }
    return raise;
}

}  // namespace plat
