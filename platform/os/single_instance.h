// One running copy per device root.
//
// The first copy holds an exclusive flock on "<device root>/.velloran.lock" and listens on a
// Unix-domain datagram socket, "<device root>/.velloran.sock" (or, when that path does not
// fit a socket address or the root is read-only, "velloran-<hash>.sock" in $XDG_RUNTIME_DIR
// or /tmp; a read-only root without a lock file has its lock there too). A second copy
// finds the lock taken and sends "raise\n" to the socket. The lock goes with the process, so
// a crashed copy never blocks the next one; its leftover socket file is replaced.
//
// Datagrams need no accepted connection, so the listening descriptor becomes readable exactly
// when a request is waiting: the host polls ListenFd() in its event loop and calls PollRaise().
#pragma once

#include <string>

namespace plat {

class SingleInstance {
  public:
    enum class Result { kFirst, kOtherRunning, kError };

    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock of the device root at host folder `hostDeviceRoot`. kError when the lock
    // file cannot be opened. As kFirst, a socket that cannot be set up leaves ListenFd() at -1
    // (the copy still runs; later copies just cannot raise it).
    Result Acquire(const std::string& hostDeviceRoot);

    // For a copy that found another running: asks it to come forward. Gives up after
    // `timeoutMs` (a first copy that is still starting, or hung, never blocks this one).
    bool RequestRaise(int timeoutMs = 2000);

    // For the first copy: the descriptor to poll for readability, or -1.
    int ListenFd() const { return listenFd_; }
    // Non-blocking: reads every waiting request; true when one of them asked to raise.
    bool PollRaise();

    // Where the socket lives for this device root (for diagnostics and tests).
    const std::string& SocketPath() const { return socketPath_; }

  private:
    void Release();

    int lockFd_ = -1;
    int listenFd_ = -1;
    bool first_ = false;
    std::string socketPath_;
};

// The socket path used for a device root (already made absolute).
std::string SingleInstanceSocketPath(const std::string& absoluteRoot);
// The lock file of a device root: in the root, or beside the socket when the root is
// read-only (so browsing a read-only root works).
std::string SingleInstanceLockPath(const std::string& absoluteRoot);

}  // namespace plat
