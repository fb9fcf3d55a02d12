// The peers the infrared stand-in reaches over TCP, from the host's command line
// (NAME=HOST:PORT, repeatable); without any, one peer "localhost" at 127.0.0.1:650.
#pragma once

#include <sys/socket.h>

#include <string>
#include <vector>

namespace plat {

struct IrPeer {
    std::string name;  // 1 to 22 bytes, no control characters
    std::string host;  // a name or a numeric address ("[::1]" for IPv6)
    int port = 0;      // 1 to 65535
    // Filled by SetIrPeers: the address found for host and port (length 0 when none).
    sockaddr_storage address{};
    socklen_t addressLength = 0;
};

// Parses NAME=HOST:PORT; false when it is not of that form.
bool ParseIrPeer(const std::string& text, IrPeer* peer);
// Sets the peers (looking up their addresses now, on the calling thread); an empty list
// gives the default peer.
void SetIrPeers(std::vector<IrPeer> peers);
std::vector<IrPeer> IrPeers();

}  // namespace plat
