#include "sharing/infrared_obex.h"

#include <algorithm>

#include "platform/os/text.h"

namespace obex {
namespace {

constexpr uint8_t kConnect = 0x80;
constexpr uint8_t kPut = 0x02;
constexpr uint8_t kPutFinal = 0x82;
constexpr uint8_t kDisconnect = 0x81;
constexpr uint8_t kNameHeader = 0x01;
constexpr uint8_t kBodyHeader = 0x48;
constexpr uint8_t kEndOfBodyHeader = 0x49;
// Opcode and packet length, header id and header length.
constexpr size_t kPutOverhead = 6;

void Put16(std::vector<uint8_t>* out, size_t value) {
    out->push_back(static_cast<uint8_t>(value >> 8));
    out->push_back(static_cast<uint8_t>(value));
}

size_t Get16(const uint8_t* p) {
    return static_cast<size_t>(p[0]) << 8 | p[1];
}

// A Put with one header holding `payload` bytes.
std::vector<uint8_t> PutPacket(uint8_t opcode, uint8_t header, const uint8_t* payload,
                               size_t size) {
    std::vector<uint8_t> p;
    p.reserve(kPutOverhead + size);
    p.push_back(opcode);
    Put16(&p, kPutOverhead + size);
    p.push_back(header);
    Put16(&p, 3 + size);
    p.insert(p.end(), payload, payload + size);
    return p;
}

}  // namespace

std::vector<uint8_t> ConnectPacket() {
    return {kConnect, 0x00, 0x07, 0x10, 0x00, 0x08, 0x00};
}

std::vector<uint8_t> NamePutPacket(const std::string& utf8Name) {
    std::vector<uint8_t> name;
    for (char16_t unit : plat::ToUtf16(utf8Name)) {
        Put16(&name, unit);
    }
    Put16(&name, 0);
    if (kPutOverhead + name.size() > 0xFFFF) {
        return {};
    }
    return PutPacket(kPut, kNameHeader, name.data(), name.size());
}

std::vector<uint8_t> BodyPutPacket(const uint8_t* data, size_t size, bool last) {
    return PutPacket(last ? kPutFinal : kPut, last ? kEndOfBodyHeader : kBodyHeader, data, size);
}

std::vector<uint8_t> DisconnectPacket() {
    return {kDisconnect, 0x00, 0x03};
}

Framing ReadResponse(const uint8_t* data, size_t size, bool connectResponse, Response* response) {
    if (size < 3) {
        return Framing::kIncomplete;
    }
    const size_t length = Get16(data + 1);
    if (length < 3) {
        return Framing::kMalformed;
    }
    if (size < length) {
        return Framing::kIncomplete;
    }
    response->code = data[0];
    response->length = length;
    // Connect response: code, length, version, flags, maximum packet length.
    response->peerMaxPacket = connectResponse && length >= 7 ? Get16(data + 5) : 0;
    return Framing::kComplete;
}

size_t BodyBytesPerPacket(size_t peerMaxPacket) {
    if (peerMaxPacket == 0) {
        return kMaxBodyBytes;
    }
    return std::min(kMaxBodyBytes, std::max(peerMaxPacket, kMinimumPacket) - kPutOverhead);
}

}  // namespace obex
