// A scripted OBEX peer for the infrared tests: a thread that listens on a free local port,
// answers OBEX requests the way its mode says, and records every request it received.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

using Packet = std::vector<uint8_t>;

// A TCP socket on a free loopback port. A closed port is bound and never listened to, so
// nobody answers there and nobody else takes it meanwhile.
class LoopbackPort {
  public:
    explicit LoopbackPort(bool listening = false) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (listening)
            ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            (!listening || ::listen(fd_, 8) == 0) &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
            port_ = ntohs(a.sin_port);
        }
    }
    ~LoopbackPort() { ::close(fd_); }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;
    int Fd() const { return fd_; }
    // "NAME=127.0.0.1:PORT" for --ir-peer.
    std::string PeerArg(const std::string& name) const {
        return name + "=127.0.0.1:" + std::to_string(port_);
    }

  private:
    int fd_ = -1;
    int port_ = 0;
};
using ClosedPort = LoopbackPort;

class FakeObexPeer {
  public:
    enum class Mode {
        kAccept,           // answers every request as a willing receiver
        kRefuseFirstBody,  // answers the first body packet with Bad Request (C0)
        kGarbage,          // answers Connect with `garbage` bytes, then hangs up
        kSilent,           // reads everything, never answers
        kSilentAfterName,  // answers Connect and the name, then never again
        kHangUpMidFile,    // answers the first body packet, then closes the connection
    };

    explicit FakeObexPeer(Mode mode, uint16_t maxPacket = 2048) : mode_(mode), max_(maxPacket) {
        if (::pipe(stop_) != 0)
            stop_[0] = stop_[1] = -1;
        thread_ = std::thread([this] { Serve(); });
    }

    ~FakeObexPeer() {
        [[maybe_unused]] const ssize_t n = ::write(stop_[1], "x", 1);
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

    std::string PeerArg(const std::string& name) const { return listen_.PeerArg(name); }
    void SetGarbage(Packet bytes) { garbage_ = std::move(bytes); }

    // The requests of all connections, in order.
    std::vector<Packet> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    int Connections() {
        std::lock_guard<std::mutex> lock(mutex_);
        return connections_;
    }
    // Waits (real time) until `count` requests arrived, or the sender hung up `hangUps` times.
    bool WaitForRequests(size_t count, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
    }
    bool WaitForHangUps(int hangUps, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return hangUps_ >= hangUps; });
    }

  private:
    // Waits for `fd` to be readable; false when the peer is being stopped.
    bool WaitReadable(int fd) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
        }
        return (fds[1].revents & POLLIN) == 0;
    }

    void Serve() {
        while (WaitReadable(listen_.Fd())) {
            const int c = ::accept4(listen_.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++connections_;
            }
            const bool senderEnded = Converse(c);
            ::close(c);
            std::lock_guard<std::mutex> lock(mutex_);
            hangUps_ += senderEnded ? 1 : 0;
            changed_.notify_all();
        }
    }

    // Reads one request by its length field; false at the end of the connection (with
    // `*senderEnded` set when the sender closed it).
    bool ReadRequest(int c, Packet* packet, bool* senderEnded) {
        packet->clear();
        size_t want = 3;
        while (packet->size() < want) {
            if (!WaitReadable(c))
                return false;
            uint8_t buffer[4096];
            const ssize_t n = ::recv(c, buffer, std::min(sizeof buffer, want - packet->size()), 0);
            if (n <= 0) {
                *senderEnded = true;
                return false;
            }
            packet->insert(packet->end(), buffer, buffer + n);
            if (packet->size() >= 3) {
                want = std::max<size_t>(3, (size_t{(*packet)[1]} << 8) | (*packet)[2]);
            }
        }
        return true;
    }

    // Answers one connection; true when the sender hung up.
    bool Converse(int c) {
        Packet p;
        int bodies = 0;
        bool senderEnded = false;
        while (ReadRequest(c, &p, &senderEnded)) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(p);
                changed_.notify_all();
            }
            Packet answer;
            const bool body = p[0] == 0x02 && p.size() > 3 && p[3] == 0x48;
            if (mode_ == Mode::kSilent || (mode_ == Mode::kSilentAfterName && body))
                continue;
            if (p[0] == 0x80) {
                if (mode_ == Mode::kGarbage) {
                    Send(c, garbage_);
                    return false;
                }
                const uint8_t high = static_cast<uint8_t>(max_ >> 8);
                answer = {0xA0, 0x00, 0x07, 0x10, 0x00, high, static_cast<uint8_t>(max_)};
            } else if (p[0] == 0x02) {
                answer = {0x90, 0x00, 0x03};
                if (body && ++bodies == 1 && mode_ == Mode::kRefuseFirstBody) {
                    answer = {0xC0, 0x00, 0x03};
                }
            } else {
                answer = {0xA0, 0x00, 0x03};
            }
            Send(c, answer);
            if (body && mode_ == Mode::kHangUpMidFile)
                return false;
        }
        return senderEnded;
    }

    static void Send(int c, const Packet& bytes) {
        [[maybe_unused]] const ssize_t n = ::send(c, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    const Mode mode_;
    const uint16_t max_;
    Packet garbage_;
    const LoopbackPort listen_{true};
    int stop_[2] = {-1, -1};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Packet> requests_;
    int connections_ = 0;
    int hangUps_ = 0;
    std::thread thread_;
};

}  // namespace testing_support
