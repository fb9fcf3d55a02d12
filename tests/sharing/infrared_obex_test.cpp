// The OBEX packets of the infrared sender and the framing of the responses it reads.
#include "sharing/infrared_obex.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ObexPackets, ConnectNamePutLastBodyAndDisconnectAreTheKnownBytes) {
    EXPECT_EQ(obex::ConnectPacket(), (Bytes{0x80, 0x00, 0x07, 0x10, 0x00, 0x08, 0x00}));
    EXPECT_EQ(obex::NamePutPacket("a.jpg"),
              (Bytes{0x02, 0x00, 0x12, 0x01, 0x00, 0x0F, 0x00, 0x61, 0x00, 0x2E, 0x00, 0x6A, 0x00,
                     0x70, 0x00, 0x67, 0x00, 0x00}));
    EXPECT_EQ(obex::BodyPutPacket(nullptr, 0, true), (Bytes{0x82, 0x00, 0x06, 0x49, 0x00, 0x03}));
    EXPECT_EQ(obex::DisconnectPacket(), (Bytes{0x81, 0x00, 0x03}));
}

TEST(ObexPackets, NamesOutsideAsciiGoAsUtf16BigEndianUnitsWithSurrogates) {
    // "é" is one unit, U+1F600 two (a surrogate pair).
    EXPECT_EQ(obex::NamePutPacket("\xC3\xA9\xF0\x9F\x98\x80"),
              (Bytes{0x02, 0x00, 0x0E, 0x01, 0x00, 0x0B, 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0x00, 0x00,
                     0x00}));
}

TEST(ObexPackets, BodyPacketsCarryTheirLengthsInBothFields) {
    const Bytes data(1024, 0x5A);
    const Bytes full = obex::BodyPutPacket(data.data(), data.size(), false);
    ASSERT_EQ(full.size(), 1030u);
    EXPECT_EQ(Bytes(full.begin(), full.begin() + 6), (Bytes{0x02, 0x04, 0x06, 0x48, 0x04, 0x03}));
    const Bytes last = obex::BodyPutPacket(data.data(), 476, true);
    ASSERT_EQ(last.size(), 482u);
    EXPECT_EQ(Bytes(last.begin(), last.begin() + 6), (Bytes{0x82, 0x01, 0xE2, 0x49, 0x01, 0xDF}));
}

TEST(ObexResponses, AResponseIsWholeOnlyWithEveryByteItsLengthAnnounces) {
    obex::Response r;
    const Bytes connect = {0xA0, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00, 0x90};
    for (size_t n = 0; n < 7; ++n)
        EXPECT_EQ(obex::ReadResponse(connect.data(), n, true, &r), obex::Framing::kIncomplete) << n;
    // The byte after it belongs to the next response.
    ASSERT_EQ(obex::ReadResponse(connect.data(), connect.size(), true, &r),
              obex::Framing::kComplete);
    EXPECT_EQ(r.code, 0xA0);
    EXPECT_EQ(r.length, 7u);
    EXPECT_EQ(r.peerMaxPacket, 1024u);
}

TEST(ObexResponses, OnlyAConnectResponseLongEnoughCarriesAMaximum) {
    obex::Response r;
    const Bytes shortConnect = {0xA0, 0x00, 0x03};
    ASSERT_EQ(obex::ReadResponse(shortConnect.data(), 3, true, &r), obex::Framing::kComplete);
    EXPECT_EQ(r.peerMaxPacket, 0u);
    const Bytes put = {0x90, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00};
    ASSERT_EQ(obex::ReadResponse(put.data(), put.size(), false, &r), obex::Framing::kComplete);
    EXPECT_EQ(r.code, 0x90);
    EXPECT_EQ(r.peerMaxPacket, 0u);
}

TEST(ObexResponses, LengthsBelowTheHeaderAreMalformed) {
    obex::Response r;
    for (uint8_t low : {0, 1, 2}) {
        const Bytes bad = {0xA0, 0x00, low, 0, 0, 0, 0};
        EXPECT_EQ(obex::ReadResponse(bad.data(), bad.size(), true, &r), obex::Framing::kMalformed);
    }
}

TEST(ObexBodies, BodyBytesFollowThePeersMaximumWithinObexLimits) {
    EXPECT_EQ(obex::BodyBytesPerPacket(0), 1024u);     // nothing announced
    EXPECT_EQ(obex::BodyBytesPerPacket(2048), 1024u);  // room for more than 1024
    EXPECT_EQ(obex::BodyBytesPerPacket(1030), 1024u);  // exactly a full packet
    EXPECT_EQ(obex::BodyBytesPerPacket(1024), 1018u);  // obex_tcp
    EXPECT_EQ(obex::BodyBytesPerPacket(255), 249u);    // the OBEX minimum
    EXPECT_EQ(obex::BodyBytesPerPacket(7), 249u);      // below it: held to the minimum
    EXPECT_EQ(obex::BodyBytesPerPacket(65535), 1024u);
}

}  // namespace
