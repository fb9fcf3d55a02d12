#include "platform/os/ir_peers.h"

#include <netdb.h>

#include <cstring>
#include <mutex>

#include "platform/os/ir_link.h"

namespace plat {
namespace {

std::mutex& PeersMutex() {
    static std::mutex m;
    return m;
}

std::vector<IrPeer>& Peers() {
    static std::vector<IrPeer> peers;
    return peers;
}

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > kIrDeviceNameBytes) {
        return false;
    }
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

void Resolve(IrPeer* peer) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(peer->port);
    peer->addressLength = 0;
    if (::getaddrinfo(peer->host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        return;
    }
    if (found->ai_addrlen <= sizeof peer->address) {
        std::memcpy(&peer->address, found->ai_addr, found->ai_addrlen);
        peer->addressLength = found->ai_addrlen;
    }
    ::freeaddrinfo(found);
}

}  // namespace

bool ParseIrPeer(const std::string& text, IrPeer* peer) {
    const size_t equals = text.find('=');
    const size_t colon = text.rfind(':');
    if (equals == std::string::npos || colon == std::string::npos || colon < equals) {
        return false;
    }
    IrPeer p;
    p.name = text.substr(0, equals);
    p.host = text.substr(equals + 1, colon - equals - 1);
    const std::string port = text.substr(colon + 1);
    if (p.host.size() >= 2 && p.host.front() == '[' && p.host.back() == ']') {
        p.host = p.host.substr(1, p.host.size() - 2);
    } else if (p.host.find(':') != std::string::npos) {
        return false;  // an IPv6 address goes in brackets
    }
    if (!ValidName(p.name) || p.host.empty() || port.empty() || port.size() > 5) {
        return false;
    }
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        p.port = p.port * 10 + (c - '0');
    }
    if (p.port < 1 || p.port > 65535) {
        return false;
    }
    *peer = std::move(p);
    return true;
}

void SetIrPeers(std::vector<IrPeer> peers) {
    if (peers.empty()) {
        IrPeer local;
        local.name = "localhost";
        local.host = "127.0.0.1";
        local.port = 650;
        peers.push_back(local);
    }
    for (IrPeer& p : peers) {
        Resolve(&p);
    }
    std::lock_guard<std::mutex> lock(PeersMutex());
    Peers() = std::move(peers);
}

std::vector<IrPeer> IrPeers() {
    {
        std::lock_guard<std::mutex> lock(PeersMutex());
        if (!Peers().empty()) {
            return Peers();
        }
    }
    SetIrPeers({});
    std::lock_guard<std::mutex> lock(PeersMutex());
    return Peers();
}

}  // namespace plat
