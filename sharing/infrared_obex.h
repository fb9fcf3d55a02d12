// OBEX object push as the infrared sender speaks it: the request packets it sends and the
// reading of the responses it gets. Two-byte fields are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace obex {

constexpr uint8_t kContinue = 0x90;
constexpr uint8_t kSuccess = 0xA0;
// Body bytes per packet when the peer allows it.
constexpr size_t kMaxBodyBytes = 1024;
// The largest packet every OBEX peer must take.
constexpr size_t kMinimumPacket = 255;
// A response announces its own length in 16 bits, so none is longer.
constexpr size_t kMaxResponseBytes = 65535;

// Connect: version 1.0, no flags, our maximum packet length 2048.
std::vector<uint8_t> ConnectPacket();
// Put with only a Name header: the name in UTF-16 big-endian with its terminating zero.
// Empty when the name does not fit a packet.
std::vector<uint8_t> NamePutPacket(const std::string& utf8Name);
// Put with a Body header, or the final Put (opcode 0x82) with an End-of-Body header.
std::vector<uint8_t> BodyPutPacket(const uint8_t* data, size_t size, bool last);
std::vector<uint8_t> DisconnectPacket();

// A response: its code, and for a Connect response the peer's maximum packet length (0 when
// the response does not carry one).
struct Response {
    uint8_t code = 0;
    size_t length = 0;  // bytes of the whole response
    size_t peerMaxPacket = 0;
};

enum class Framing {
    kIncomplete,  // more bytes are needed
    kComplete,    // `*response` is filled; its bytes are the first response->length
    kMalformed,   // the length field is impossible
};
// Looks at the bytes received so far. A stream may split a response or join two, so a
// response is whole only when all the bytes its length field announces have arrived.
Framing ReadResponse(const uint8_t* data, size_t size, bool connectResponse, Response* response);

// Body bytes per packet for a peer whose Connect response announced `peerMaxPacket` (0: it
// announced nothing): 1024, or fewer when its packets are smaller. A peer announcing less than
// every OBEX peer must take is held to that minimum.
size_t BodyBytesPerPacket(size_t peerMaxPacket);

}  // namespace obex
