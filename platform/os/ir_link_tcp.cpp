// The infrared stand-in over TCP. Every wait polls the link's wake descriptor beside the
// socket, so that raising the wake signal ends a blocking connect, send or receive at once.
//
// Discovery connects to every peer; a peer that accepts is in range. Its connection is kept
// for the stream connection that follows, because a simple OBEX server (obex_tcp) serves only
// the first connection it accepts. Sockets are closed with an abortive close (SO_LINGER 0) so
// that no TIME_WAIT keeps a peer's port from being listened on again.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>

#include "platform/os/ir_link.h"
#include "platform/os/ir_peers.h"
#include "platform/os/wake_signal.h"

namespace plat {
namespace {

// How long discovery waits for the peers to accept, in real time: in range means at hand.
constexpr int kDiscoveryWaitMs = 1000;

// One socket descriptor with its one owner.
class Socket {
  public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~Socket() { Reset(-1); }
    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd) {
        if (fd_ >= 0) {
            const linger abortive{1, 0};
            ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// Starts a non-blocking connect; the socket is open when the connect completed or is under
// way, closed with `*error` set when it failed at once.
Socket StartConnect(const IrPeer& peer, int* error) {
    if (peer.addressLength == 0) {
        *error = EHOSTUNREACH;
        return Socket();
    }
    Socket s(::socket(peer.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.IsOpen()) {
        *error = errno;
        return s;
    }
    if (::connect(s.Fd(), reinterpret_cast<const sockaddr*>(&peer.address), peer.addressLength) !=
            0 &&
        errno != EINPROGRESS) {
        *error = errno;
        return Socket();
    }
    return s;
}

// The result of a connect that was under way and is now writable: 0 or the errno.
int ConnectResult(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

class TcpIrLink : public IrLink {
  public:
    explicit TcpIrLink(const WakeSignal& wake) : wake_(wake), peers_(IrPeers()) {}

    int Startup() override {
        lastError_ = 0;
        if (!wake_.Valid()) {
            return Fail(wake_.Error());
        }
        if (wake_.Raised()) {
            return Fail(ECANCELED);
        }
        started_ = true;
        return 1;
    }

    void Cleanup() override {
        CloseSocket();
        started_ = false;
    }

    int OpenSocket() override {
        lastError_ = 0;
        if (!started_) {
            return Fail(EINVAL);
        }
        if (wake_.Raised()) {
            return Fail(ECANCELED);
        }
        socketOpen_ = true;
        return 1;
    }

    void CloseSocket() override {
        stream_.Reset(-1);
        inRange_.clear();
        socketOpen_ = false;
    }

    int EnumerateDevices(std::vector<IrDevice>* devices) override {
        lastError_ = 0;
        devices->clear();
        if (!socketOpen_) {
            return Fail(ENOTSOCK);
        }
        inRange_.clear();
        std::map<size_t, Socket> pending;
        for (size_t i = 0; i < peers_.size(); ++i) {
            int error = 0;
            Socket s = StartConnect(peers_[i], &error);
            if (s.IsOpen()) {
                pending.emplace(i, std::move(s));
            } else {
                lastError_ = error;
            }
        }
        const auto giveUpAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kDiscoveryWaitMs);
        while (!pending.empty()) {
            std::vector<pollfd> fds{{wake_.Fd(), POLLIN, 0}};
            for (const auto& [index, s] : pending) {
                fds.push_back({s.Fd(), POLLOUT, 0});
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                giveUpAt - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                lastError_ = ETIMEDOUT;
                break;
            }
            if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 &&
                errno != EINTR) {
                return Fail(errno);
            }
            if (wake_.Raised()) {
                inRange_.clear();
                return Fail(ECANCELED);
            }
            size_t k = 1;
            for (auto it = pending.begin(); it != pending.end(); ++k) {
                if (fds[k].revents == 0) {
                    ++it;
                    continue;
                }
                const int error = ConnectResult(it->second.Fd());
                if (error == 0) {
                    inRange_.emplace(it->first, std::move(it->second));
                } else {
                    lastError_ = error;
                }
                it = pending.erase(it);
            }
        }
        // Discovery order is the order of the peers on the command line.
        for (const auto& [index, s] : inRange_) {
            IrDevice d;
            d.address = AddressOf(index);
            d.name = peers_[index].name.substr(0, kIrDeviceNameBytes);
            devices->push_back(std::move(d));
        }
        return 1;
    }

    int QueryIasInteger(uint32_t address, const std::string& className,
                        const std::string& attribute, int32_t* value) override {
        lastError_ = 0;
        if (!socketOpen_) {
            return Fail(ENOTSOCK);
        }
        if (wake_.Raised()) {
            return Fail(ECANCELED);
        }
        size_t index = 0;
        if (!PeerOf(address, &index)) {
            return Fail(EHOSTUNREACH);
        }
        if (className != "OBEX" || attribute != "IrDA:TinyTP:LsapSel") {
            return Fail(ENOENT);
        }
        *value = kStandInObexSelector;
        return 1;
    }

    int Connect(uint32_t address, const std::string& serviceName) override {
        lastError_ = 0;
        if (!socketOpen_) {
            return Fail(ENOTSOCK);
        }
        if (wake_.Raised()) {
            return Fail(ECANCELED);
        }
        if (stream_.IsOpen()) {
            return Fail(EISCONN);
        }
        size_t index = 0;
        if (!PeerOf(address, &index)) {
            return Fail(EHOSTUNREACH);
        }
        if (serviceName != "LSAP-SEL" + std::to_string(kStandInObexSelector)) {
            return Fail(ECONNREFUSED);
        }
        // The connection discovery made, when there is one; the others are not needed.
        const auto found = inRange_.find(index);
        if (found != inRange_.end()) {
            stream_ = std::move(found->second);
            inRange_.clear();
            return Ready();
        }
        inRange_.clear();
        int error = 0;
        stream_ = StartConnect(peers_[index], &error);
        if (!stream_.IsOpen()) {
            return Fail(error);
        }
        if (!WaitFor(POLLOUT)) {
            stream_.Reset(-1);
            return 0;
        }
        error = ConnectResult(stream_.Fd());
        if (error != 0) {
            stream_.Reset(-1);
            return Fail(error);
        }
        return Ready();
    }

    int Send(const uint8_t* data, size_t size) override {
        lastError_ = 0;
        if (!stream_.IsOpen()) {
            return Fail(ENOTCONN);
        }
        size_t sent = 0;
        while (sent < size) {
            if (wake_.Raised()) {
                return Fail(ECANCELED);
            }
            const ssize_t n = ::send(stream_.Fd(), data + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!WaitFor(POLLOUT)) {
                    return 0;
                }
            } else if (n < 0 && errno != EINTR) {
                return Fail(errno);
            }
        }
        return 1;
    }

    int Receive(uint8_t* buffer, size_t capacity, size_t* received) override {
        lastError_ = 0;
        *received = 0;
        if (!stream_.IsOpen()) {
            return Fail(ENOTCONN);
        }
        if (capacity == 0) {
            return Fail(EINVAL);
        }
        for (;;) {
            if (wake_.Raised()) {
                return Fail(ECANCELED);
            }
            const ssize_t n = ::recv(stream_.Fd(), buffer, capacity, 0);
            if (n > 0) {
                *received = static_cast<size_t>(n);
                return 1;
            }
            if (n == 0) {
                return Fail(ECONNRESET);
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!WaitFor(POLLIN)) {
                    return 0;
                }
            } else if (errno != EINTR) {
                return Fail(errno);
            }
        }
    }

    // The error of the last call; 0 after a call that went through (a discovery that found
    // nobody keeps the error of the last peer that did not answer).
    int LastError() const override { return lastError_; }

  private:
    int Fail(int error) {
        lastError_ = error;
        return 0;
    }

    int Ready() {
        const int on = 1;
        ::setsockopt(stream_.Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return 1;
    }

    // Waits until the stream socket is ready for `events` or the wake signal is raised;
    // false (with the error set) for the latter or a failing poll.
    bool WaitFor(short events) {
        for (;;) {
            pollfd fds[2] = {{wake_.Fd(), POLLIN, 0}, {stream_.Fd(), events, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                Fail(errno);
                return false;
            }
            if (wake_.Raised()) {
                Fail(ECANCELED);
                return false;
            }
            if (fds[1].revents != 0) {
                return true;
            }
        }
    }

    // Device addresses are the peers' places on the command line, counted from 1.
    static uint32_t AddressOf(size_t index) { return static_cast<uint32_t>(index + 1); }
    bool PeerOf(uint32_t address, size_t* index) const {
        if (address < 1 || address > peers_.size()) {
            return false;
        }
        *index = address - 1;
        return true;
    }

    const WakeSignal& wake_;
    std::vector<IrPeer> peers_;
    std::map<size_t, Socket> inRange_;  // connections made by the last discovery
    Socket stream_;
    bool started_ = false;
    bool socketOpen_ = false;
    int lastError_ = 0;
};

}  // namespace

std::unique_ptr<IrLink> OpenIrLink(const WakeSignal& wake) {
    return std::make_unique<TcpIrLink>(wake);
}

}  // namespace plat
