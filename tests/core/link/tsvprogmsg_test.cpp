#include "link/Tsvprogmsg.h"

#include "link_test_util.h"

#include <gtest/gtest.h>

#include <string>

using namespace linktest;

namespace {

// Every message a builder makes must be a well-formed LocoNet message of the
// second SV format: data bytes with bit 7 clear, marker bits in bytes 5 and 10.
void ExpectWellFormed(const TLNSVProgMessage& m, int svKind)
{
    ASSERT_EQ(m.Length(), 16u);
    EXPECT_TRUE(m.IsValid());
    EXPECT_EQ(m.MessageKind(), eOPCSVACCESS2);
    EXPECT_EQ(m.SvKind(), svKind);
    for (uint32_t i = 1; i < 16; ++i) EXPECT_EQ(m.ByteAt(i) & 0x80, 0) << "byte " << i;
    EXPECT_EQ(m.ByteAt(5) & 0xF0, 0x10);
    EXPECT_EQ(m.ByteAt(10) & 0xF0, 0x10);
}

// m with its command byte replaced (checksum redone).
TLNSVProgMessage WithCommand(const TLNSVProgMessage& m, uint8_t command)
{
    TLocoNetMessage copy;
    for (uint32_t i = 0; i < 15; ++i) copy.AppendByte(i == 3 ? command : m.ByteAt(i));
    copy.AppendChecksum();
    return TLNSVProgMessage(copy);
}

}  // namespace

TEST(SvMessage, HighBitsAreFoldedIntoTheMarkerBytes)
{
    TLNSVProgMessage m;
    m.MakeSvWrite1(0, 0x04D2, 0x0181, 0xC8);
    ExpectWellFormed(m, eSvWrite1);
    EXPECT_EQ(BytesOf(m), (Bytes{0xE5, 0x10, 0x00, 0x01, 0x02, 0x15, 0x52, 0x04, 0x01, 0x01, 0x11, 0x48, 0x00,
                                 0x00, 0x00, static_cast<uint8_t>(m.ByteAt(15))}));
    const TSvAccessFields f = m.GetSvAccess();
    EXPECT_EQ(f.destination, 0x04D2);
    EXPECT_EQ(f.sv, 0x0181);
    EXPECT_EQ(f.data, 0xC8);
    EXPECT_EQ(f.source, 0);
    EXPECT_EQ(m.ToText(), "SV Access: Write 1 Byte Dst=1234 Addr=0181 data=C8");
}

TEST(SvMessage, BuildersGiveTheirKindAndText)
{
    struct Case {
        void (*build)(TLNSVProgMessage&);
        int kind;
        const char* text;
    };
    const Case cases[] = {
        {[](TLNSVProgMessage& m) { m.MakeSvWrite1(0, 1234, 5, 0x0A); }, eSvWrite1,
         "SV Access: Write 1 Byte Dst=1234 Addr=0005 data=0A"},
        {[](TLNSVProgMessage& m) { m.MakeSvRead1(0, 7, 0x1FF); }, eSvRead1,
         "SV Access: Read 1 Byte Dst=7 Addr=01FF data=00"},
        {[](TLNSVProgMessage& m) { m.MakeSvWrite4(0, 1, 1, 1, 2, 3, 4); }, eSvWrite4,
         "SV Access: Write 4 Bytes Dst=1 Addr=0001 data=01 02 03 04"},
        {[](TLNSVProgMessage& m) { m.MakeSvWrite4(0, 65535, 0xFFFF, 0xFF, 0x80, 0x7F, 0x00); }, eSvWrite4,
         "SV Access: Write 4 Bytes Dst=65535 Addr=FFFF data=FF 80 7F 00"},
        {[](TLNSVProgMessage& m) { m.MakeSvRead4(0, 300, 1); }, eSvRead4,
         "SV Access: Read 4 Bytes Dst=300 Addr=0001 data=00 00 00 00"},
        {[](TLNSVProgMessage& m) { m.MakeSvDiscover(0); }, eSvDiscover,
         "SV Access: Discover VendId=0 DevId=0 Serial=0"},
        {[](TLNSVProgMessage& m) { m.MakeSvDiscoverReply(0, 46, 0x8123, 65535); }, eSvDiscoverReply,
         "SV Access: Discover Reply VendId=46 DevId=33059 Serial=65535"},
        {[](TLNSVProgMessage& m) { m.MakeSvIdentify(0, 4321); }, eSvIdentify,
         "SV Access: Identify VendId=0 DevId=0 Serial=0"},
        {[](TLNSVProgMessage& m) { m.MakeSvChangeAddress(0, 1, 7, 100, 200); }, eSvChangeAddress,
         "SV Access: ChangeAddress VendId=1 DevId=7 Serial=100 New Adr=200"},
        {[](TLNSVProgMessage& m) { m.MakeSvReconfigure(0, 513); }, eSvReconfigure,
         "SV Access: Reconfigure Dest=513"},
    };
    for (const Case& c : cases) {
        TLNSVProgMessage m;
        c.build(m);
        ExpectWellFormed(m, c.kind);
        EXPECT_EQ(m.ToText(), c.text);
    }
}

// The same messages with the reply bit: kind + 9 and the reply's text.
TEST(SvMessage, RepliesReadLikeTheirRequests)
{
    TLNSVProgMessage m;
    m.MakeSvWrite1(0, 1234, 5, 0x0A);
    EXPECT_EQ(WithCommand(m, 0x41).ToText(), "SV Access: Write 1 Byte Reply Dst=1234 Addr=0005 data=0A");
    EXPECT_EQ(WithCommand(m, 0x42).ToText(), "SV Access: Read 1 Byte Reply Dst=1234 Addr=0005 data=0A");
    EXPECT_EQ(WithCommand(m, 0x43).ToText(), "SV Access: Masked Write Reply Dst=1234 Addr=0005 data=0A mask=00");
    m.MakeSvWrite4(0, 9, 0x10, 0xA1, 0xB2, 0xC3, 0xD4);
    EXPECT_EQ(WithCommand(m, 0x45).ToText(), "SV Access: Write 4 Bytes Reply Dst=9 Addr=0010 data=A1 B2 C3 D4");
    EXPECT_EQ(WithCommand(m, 0x46).ToText(), "SV Access: Read 4 Bytes Reply Dst=9 Addr=0010 data=A1 B2 C3 D4");
    m.MakeSvChangeAddress(0, 1, 7, 100, 200);
    EXPECT_EQ(WithCommand(m, 0x47).ToText(), "SV Access: Discover Reply VendId=1 DevId=7 Serial=100");
    EXPECT_EQ(WithCommand(m, 0x48).ToText(), "SV Access: Identify Reply VendId=1 DevId=7 Serial=100");
    EXPECT_EQ(WithCommand(m, 0x49).ToText(),
              "SV Access: Change Address Reply VendId=1 DevId=7 Serial=100 New Adr=200");
    EXPECT_EQ(WithCommand(m, 0x4F).ToText(), "SV Access: Reconfigure Reply Dest=200");
    // A masked write request (the program sends none, boards may).
    TLNSVProgMessage masked = WithCommand(m, 0x03);
    EXPECT_EQ(masked.SvKind(), eSvMaskedWrite);
    const TSvMaskedAccessFields f = masked.GetSvMaskedAccess();
    EXPECT_EQ(f.data, 7);
    EXPECT_EQ(f.mask, 0);
    EXPECT_EQ(masked.ToText(), "SV Access: Masked Write Dst=200 Addr=0001 data=07 mask=00");
}

TEST(SvMessage, KindFromTheCommandByte)
{
    TLNSVProgMessage base;
    base.MakeSvDiscover(0);
    struct Case {
        uint8_t command;
        int kind;
    };
    const Case cases[] = {
        {0x01, 2},  {0x02, 3},  {0x03, 4},  {0x05, 5},  {0x06, 6},  {0x07, 7},  {0x08, 8},
        {0x09, 9},  {0x0F, 10}, {0x41, 11}, {0x42, 12}, {0x43, 13}, {0x45, 14}, {0x46, 15},
        {0x47, 16}, {0x48, 17}, {0x49, 18}, {0x4F, 19},
        // Unknown low nibbles, with or without the reply bit.
        {0x00, 0},  {0x04, 0},  {0x0A, 0},  {0x0B, 0},  {0x0C, 0},  {0x0D, 0},  {0x0E, 0},
        {0x40, 0},  {0x44, 0},  {0x4A, 0},  {0x4E, 0},
        // Bits 4, 5 and 7 are not examined.
        {0x11, 2},  {0x21, 2},  {0x31, 2},  {0x71, 11}, {0x7F, 19}, {0x34, 0},
    };
    for (const Case& c : cases) {
        const TLNSVProgMessage m = WithCommand(base, c.command);
        EXPECT_EQ(m.SvKind(), c.kind) << "command " << int(c.command);
        if (c.kind == 0) {
            EXPECT_EQ(m.ToText(), "SV Access: Unknown or improper format");
        }
    }
    // Bit 7 can only be examined on a message built by hand.
    TLocoNetMessage raw;
    for (uint32_t i = 0; i < 16; ++i) raw.AppendByte(i == 3 ? 0x81 : base.ByteAt(i));
    EXPECT_EQ(TLNSVProgMessage(raw).SvKind(), eSvWrite1);
}

TEST(SvMessage, OnlyFormatTwoPeerTransfersHaveAKind)
{
    TLNSVProgMessage base;
    base.MakeSvWrite1(0, 1234, 5, 10);
    for (uint32_t at : {0u, 1u, 4u}) {
        for (int value : {0x00, 0x01, 0x03, 0x0F, 0x11, 0xE4, 0xE6}) {
            TLocoNetMessage changed;
            for (uint32_t i = 0; i < 16; ++i)
                changed.AppendByte(i == at ? static_cast<uint8_t>(value) : base.ByteAt(i));
            const TLNSVProgMessage m(changed);
            EXPECT_EQ(m.SvKind(), eSvUnknown) << "byte " << at << " = " << value;
            EXPECT_EQ(m.ToText(), "SV Access: Unknown or improper format");
        }
    }
    // Bytes 5 and 10 are not checked here.
    TLocoNetMessage noMarkers;
    for (uint32_t i = 0; i < 16; ++i) noMarkers.AppendByte(i == 5 || i == 10 ? 0x00 : base.ByteAt(i));
    EXPECT_EQ(TLNSVProgMessage(noMarkers).SvKind(), eSvWrite1);
    EXPECT_EQ(TLNSVProgMessage(TLocoNetMessage()).SvKind(), eSvUnknown);
    EXPECT_EQ(TLNSVProgMessage(TLocoNetMessage()).ToText(), "SV Access: Unknown or improper format");
}

TEST(SvMessage, PayloadBytesAndWords)
{
    TLNSVProgMessage m;
    m.MakeSvWrite4(0, 0x8180, 0x8382, 0x84, 0x85, 0x86, 0x87);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m.SvPayloadByte(i), 0x84 + i) << i;
    for (int i = 4; i < 8; ++i) EXPECT_EQ(m.SvPayloadByte(i), 0x80 + i - 4) << i;
    EXPECT_EQ(m.SvPayloadWord(0), 0x8584);
    EXPECT_EQ(m.SvPayloadWord(1), 0x8786);
    EXPECT_EQ(m.SvPayloadWord(2), 0x8180);
    EXPECT_EQ(m.SvPayloadWord(3), 0x8382);
    EXPECT_EQ(m.SvPayloadByte(-1), 0);
    EXPECT_EQ(m.SvPayloadByte(8), 0);
    EXPECT_EQ(m.SvPayloadWord(-1), 0);
    EXPECT_EQ(m.SvPayloadWord(4), 0);

    // A wire byte's own bit 7 is taken as it stands.
    TLocoNetMessage raw;
    for (uint32_t i = 0; i < 16; ++i) raw.AppendByte(i == 11 ? 0x85 : (i == 10 ? 0x10 : m.ByteAt(i)));
    EXPECT_EQ(TLNSVProgMessage(raw).SvPayloadByte(0), 0x85);
}

// Every builder with every byte value in every payload position: what goes in
// comes back out of the parser for its kind.
TEST(SvMessage, EveryBuilderRoundTripsHighBits)
{
    for (int v = 0; v < 256; ++v) {
        const int w1 = v | (255 - v) << 8;
        const int w2 = (v ^ 0x80) | (v << 8);
        const int w3 = (v ^ 0x55) << 8 | (v ^ 0xAA);
        const int d[4] = {v, v ^ 0x80, 255 - v, v ^ 0x5A};
        TLNSVProgMessage m;

        m.MakeSvWrite1(v & 0x7F, w1, w2, d[0]);
        ExpectWellFormed(m, eSvWrite1);
        TSvAccessFields a = m.GetSvAccess();
        ASSERT_EQ(a.source, v & 0x7F);
        ASSERT_EQ(a.destination, w1);
        ASSERT_EQ(a.sv, w2);
        ASSERT_EQ(a.data, d[0]);
        ASSERT_EQ(m.SvPayloadByte(1), 0);

        m.MakeSvRead1(0, w2, w3);
        ExpectWellFormed(m, eSvRead1);
        a = m.GetSvAccess();
        ASSERT_EQ(a.destination, w2);
        ASSERT_EQ(a.sv, w3);
        ASSERT_EQ(a.data, 0);

        m.MakeSvWrite4(0, w3, w1, d[0], d[1], d[2], d[3]);
        ExpectWellFormed(m, eSvWrite4);
        TSvAccess4Fields a4 = m.GetSvAccess4();
        ASSERT_EQ(a4.destination, w3);
        ASSERT_EQ(a4.sv, w1);
        for (int i = 0; i < 4; ++i) ASSERT_EQ(a4.data[i], d[i]) << v << " D" << i + 1;

        m.MakeSvRead4(0, w1, w3);
        ExpectWellFormed(m, eSvRead4);
        a4 = m.GetSvAccess4();
        ASSERT_EQ(a4.destination, w1);
        ASSERT_EQ(a4.sv, w3);

        m.MakeSvDiscoverReply(0, w1, w2, w3);
        ExpectWellFormed(m, eSvDiscoverReply);
        TSvIdentityFields id = m.GetSvIdentity();
        ASSERT_EQ(id.vendor, w1);
        ASSERT_EQ(id.device, w2);
        ASSERT_EQ(id.serial, w3);

        m.MakeSvIdentify(0, w2);
        ExpectWellFormed(m, eSvIdentify);
        ASSERT_EQ(m.SvPayloadWord(2), w2);

        m.MakeSvChangeAddress(0, w3, w1, w2, w1 ^ 0xFFFF);
        ExpectWellFormed(m, eSvChangeAddress);
        const TSvAddressChangeFields ch = m.GetSvAddressChange();
        ASSERT_EQ(ch.vendor, w3);
        ASSERT_EQ(ch.device, w1);
        ASSERT_EQ(ch.serial, w2);
        ASSERT_EQ(ch.newAddress, w1 ^ 0xFFFF);

        m.MakeSvReconfigure(0, w3);
        ExpectWellFormed(m, eSvReconfigure);
        ASSERT_EQ(m.GetSvReconfigure().destination, w3);

        m.MakeSvDiscover(v & 0x7F);
        ExpectWellFormed(m, eSvDiscover);
        ASSERT_EQ(m.GetSvIdentity().source, v & 0x7F);
        for (int i = 0; i < 8; ++i) ASSERT_EQ(m.SvPayloadByte(i), 0);
    }
}

TEST(SvMessage, EveryAddressRoundTrips)
{
    TLNSVProgMessage m;
    for (int address = 0; address <= 0xFFFF; ++address) {
        m.MakeSvRead1(0, address, 0xFFFF - address);
        const TSvAccessFields f = m.GetSvAccess();
        ASSERT_EQ(f.destination, address);
        ASSERT_EQ(f.sv, 0xFFFF - address);
        ASSERT_TRUE(m.IsValid()) << address;
    }
    m.MakeSvDiscoverReply(0, 1, 2, 65535);
    EXPECT_EQ(m.ToText(), "SV Access: Discover Reply VendId=1 DevId=2 Serial=65535");
}

TEST(SvMessage, BuildersReuseTheMessage)
{
    TLNSVProgMessage m;
    m.MakeSvWrite4(0, 1, 2, 3, 4, 5, 6);
    m.MakeSvDiscover(0);
    ExpectWellFormed(m, eSvDiscover);
    EXPECT_EQ(m.Capacity(), 16u);

    // A copy of a received message keeps its bytes.
    const TLNSVProgMessage copy(static_cast<const TLocoNetMessage&>(m));
    EXPECT_EQ(BytesOf(copy), BytesOf(m));
}
