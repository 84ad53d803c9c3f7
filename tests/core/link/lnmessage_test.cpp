#include "link/Lnmessage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TLocoNetMessage FromBytes(const Bytes& b)
{
    return TLocoNetMessage(b.data(), static_cast<uint32_t>(b.size()));
}

// b with its checksum appended.
TLocoNetMessage Checked(const Bytes& b)
{
    TLocoNetMessage m = FromBytes(b);
    m.AppendChecksum();
    return m;
}

Bytes BytesOf(const TLocoNetMessage& m)
{
    return Bytes(m.Data(), m.Data() + m.Length());
}

}  // namespace

TEST(LocoNetMessage, ChecksumAndRawTextOfPowerOn)
{
    struct Case {
        uint8_t opcode;
        uint8_t checksum;
    };
    for (const Case c : {Case{0x83, 0x7C}, Case{0x81, 0x7E}, Case{0x82, 0x7D}}) {
        TLocoNetMessage m;
        m.AppendByte(c.opcode);
        m.AppendChecksum();
        ASSERT_EQ(m.Length(), 2u);
        EXPECT_EQ(m.ByteAt(1), c.checksum) << int(c.opcode);
        EXPECT_TRUE(m.ChecksumOk());
        EXPECT_TRUE(m.IsValid());
    }
    const TLocoNetMessage gpon = FromBytes({0x83, 0x7C});
    EXPECT_EQ(gpon.MessageKind(), eOPCGPON);
    EXPECT_EQ(gpon.KindName(), "OPC_GPON:");
    EXPECT_EQ(gpon.HexText(), "83 7C ");
    EXPECT_EQ(gpon.RawText(), "OPC_GPON:83 7C ");
    EXPECT_EQ(gpon.ToText(), gpon.RawText());
}

TEST(LocoNetMessage, TooShortMessagesAreUnknown)
{
    const TLocoNetMessage none = FromBytes({});
    EXPECT_FALSE(none.IsValid());
    EXPECT_EQ(none.MessageKind(), eUnknown);
    EXPECT_EQ(none.RawText(), "Unknown:");
    EXPECT_EQ(none.Capacity(), 0u);
    EXPECT_EQ(none.Data(), nullptr);

    const TLocoNetMessage one = FromBytes({0x83});
    EXPECT_FALSE(one.IsValid());
    EXPECT_EQ(one.MessageKind(), eUnknown);
    EXPECT_EQ(one.RawText(), "Unknown:83 ");

    const TLocoNetMessage empty;
    EXPECT_EQ(empty.Capacity(), 16u);
    EXPECT_EQ(empty.Length(), 0u);
    EXPECT_EQ(empty.MessageKind(), eUnknown);
}

// Every kind with a message of the listed opcode and length; the same message
// with a broken checksum, or one byte longer, must fall back to kind 0.
TEST(LocoNetMessage, ClassifiesEveryKindByOpcodeAndLength)
{
    struct Row {
        uint8_t opcode;
        uint8_t length;
        int kind;
        const char* name;
    };
    const Row rows[] = {
        {0x85, 2, 1, "OPC_IDLE:"},         {0x83, 2, 2, "OPC_GPON:"},
        {0x82, 2, 3, "OPC_GPOFF:"},        {0x81, 2, 4, "OPC_BUSY:"},
        {0x88, 2, 5, "OPC_MASTERLIM:"},    {0x89, 2, 6, "OPC_MASTERNORM:"},
        {0xBF, 4, 7, "OPC_LOCOADR:"},      {0xBD, 4, 8, "OPC_SWACK:"},
        {0xBC, 4, 9, "OPC_SWSTATE:"},      {0xBB, 4, 10, "OPC_RQSLDATA:"},
        {0xBA, 4, 11, "OPC_MOVESLOTS:"},   {0xB9, 4, 12, "OPC_LINKSLOTS:"},
        {0xB8, 4, 13, "OPC_UNLINKSLOTS:"}, {0xB6, 4, 14, "OPC_CONSISTFUNC:"},
        {0xB5, 4, 15, "OPC_SLOTSTAT1:"},   {0xB4, 4, 16, "OPC_LONGACK:"},
        {0xB2, 4, 17, "OPC_SENSORREP:"},   {0xB1, 4, 18, "OPC_OPSTATE:"},
        {0xB0, 4, 20, "OPC_SWREQ:"},       {0xA3, 4, 21, "OPC_LOCOF912:"},
        {0xA2, 4, 22, "OPC_LOCOSND:"},     {0xA1, 4, 23, "OPC_LOCODIRF:"},
        {0xA0, 4, 24, "OPC_LOCOSPD:"},     {0xD1, 6, 25, "OPC_SPDLIMSLOT:"},
        {0xD0, 6, 26, "OPC_MULTISENSE:"},  {0xDF, 6, 27, "OPC_AUXWR:"},
        {0xD7, 6, 28, "OPC_AUXRD:"},       {0xEF, 14, 29, "OPC_WRSLDATA:"},
        {0xE7, 14, 30, "OPC_SLRDDATA:"},   {0xEE, 15, 31, "OPC_WRLIMDATA:"},
        {0xEE, 16, 32, "OPC_ALMWRACCESS:"},{0xE6, 15, 33, "OPC_RDLIMDATA:"},
        {0xE6, 16, 34, "OPC_ALMRDACCESS:"},{0xE5, 16, 37, "OPC_PEERXFER:"},
        {0xE5, 17, 38, "OPC_PEERLXFER:"},  {0xE4, 12, 39, "OPC_SELONG:"},
        {0xE4, 9, 40, "OPC_SE:"},          {0xE5, 10, 41, "OPC_THROTSTAT:"},
        {0xE5, 9, 42, "OPC_FIND:"},        {0xED, 11, 43, "OPC_IMMPACKET:"},
        {0xED, 15, 44, "OPC_SPCLOEM1:"},   {0xED, 31, 45, "OPC_SPCLOEM2:"},
    };
    for (const Row& r : rows) {
        const bool variable = (r.opcode & 0x60) == 0x60;
        Bytes b(r.length - 1, 0x00);
        b[0] = r.opcode;
        if (variable) b[1] = r.length;
        const TLocoNetMessage m = Checked(b);
        ASSERT_TRUE(m.IsValid()) << r.name;
        EXPECT_EQ(m.MessageKind(), r.kind) << r.name;
        EXPECT_EQ(m.KindName(), r.name);
        EXPECT_EQ(std::string(LnKindName(r.kind)), r.name);
        EXPECT_EQ(m.RawText(), r.name + m.HexText());

        Bytes broken = BytesOf(m);
        broken.back() ^= 0x01;
        EXPECT_EQ(FromBytes(broken).MessageKind(), eUnknown) << r.name << " with a wrong checksum";

        Bytes longer = b;
        longer.push_back(0x00);
        if (variable) longer[1] = static_cast<uint8_t>(r.length + 1);
        EXPECT_NE(Checked(longer).MessageKind(), r.kind) << r.name << " one byte longer";
    }
    EXPECT_STREQ(LnKindName(0), "Unknown:");
    EXPECT_STREQ(LnKindName(46), "Unknown:");
    EXPECT_STREQ(LnKindName(-1), "Unknown:");
}

TEST(LnKindFromName, EveryNameAndTheWaysItIsTyped)
{
    for (int kind = 0; kind < kLnMessageKindCount; ++kind)
        EXPECT_EQ(LnKindFromName(LnKindName(kind)), kind) << LnKindName(kind);
    const struct {
        const char* typed;
        int kind;
    } cases[] = {
        {"OPC_SENSORREP", eOPCSENS},          {"opc_gpon", eOPCGPON},
        {"OPC_SVACCESS_Type_2", eOPCSVACCESS2}, {"opc_svaccess type 1:", eOPCSVACCESS1},
        {"Unknown", eUnknown},                {"OPC_GPO", -1},
        {"OPC_GPONX", -1},                    {"", -1},
        {":", -1},                            {"SENSORREP", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LnKindFromName(c.typed), c.kind) << c.typed;
}

TEST(LocoNetMessage, ValidityFollowsTheOpcodesLengthCode)
{
    // A 4-byte opcode received with 6 bytes.
    EXPECT_FALSE(Checked({0xB2, 0x00, 0x50, 0x00, 0x00}).IsValid());
    EXPECT_EQ(Checked({0xB2, 0x00, 0x50, 0x00, 0x00}).MessageKind(), eUnknown);
    // A sensor report with a wrong checksum is not a sensor report.
    EXPECT_EQ(FromBytes({0xB2, 0x00, 0x50, 0x1C}).MessageKind(), eUnknown);
    EXPECT_EQ(FromBytes({0xB2, 0x00, 0x50, 0x1D}).MessageKind(), eOPCSENS);
    // Variable length: byte 1 must equal the total length.
    EXPECT_TRUE(Checked({0xE4, 0x09, 0, 0, 0, 0, 0, 0}).IsValid());
    EXPECT_FALSE(Checked({0xE4, 0x0A, 0, 0, 0, 0, 0, 0}).IsValid());
    EXPECT_FALSE(Checked({0xE4, 0x08, 0, 0, 0, 0, 0, 0}).IsValid());
    // A known opcode of an unlisted length, and an unknown opcode.
    EXPECT_EQ(Checked({0xE4, 0x0A, 0, 0, 0, 0, 0, 0, 0}).MessageKind(), eUnknown);
    EXPECT_EQ(Checked({0x84}).MessageKind(), eUnknown);
    EXPECT_TRUE(Checked({0x84}).IsValid());
}

TEST(LocoNetMessage, TurnoutReportSplitsOnByteTwoBitSix)
{
    EXPECT_EQ(Checked({0xB1, 0x01, 0x40}).MessageKind(), eOPCTOFB);
    EXPECT_EQ(Checked({0xB1, 0x01, 0x40}).KindName(), "OPC_TOFB:");
    EXPECT_EQ(Checked({0xB1, 0x01, 0x3F}).MessageKind(), eOPCOPSTATE);
    EXPECT_EQ(Checked({0xB1, 0x01, 0x3F}).KindName(), "OPC_OPSTATE:");
}

TEST(LocoNetMessage, SixteenBytePeerTransfersSplitIntoSvFormats)
{
    struct Case {
        uint8_t b4, b5, b10;
        int kind;
    };
    const Case cases[] = {
        {2, 0x10, 0x10, eOPCSVACCESS2}, {2, 0x1F, 0x1F, eOPCSVACCESS2}, {2, 0x15, 0x11, eOPCSVACCESS2},
        {1, 0x00, 0x10, eOPCSVACCESS1}, {1, 0x0F, 0x1F, eOPCSVACCESS1},
        {2, 0x00, 0x10, eOPCPEERXFER},  // type 2 needs 0x10 in byte 5
        {1, 0x10, 0x10, eOPCPEERXFER},  // type 1 needs byte 5 below 0x10
        {3, 0x10, 0x10, eOPCPEERXFER},  {2, 0x20, 0x10, eOPCPEERXFER},
        {2, 0x10, 0x00, eOPCPEERXFER},  {1, 0x00, 0x00, eOPCPEERXFER},
        {2, 0x10, 0x20, eOPCPEERXFER},
    };
    for (const Case& c : cases) {
        Bytes b(15, 0x00);
        b[0] = 0xE5;
        b[1] = 0x10;
        b[4] = c.b4;
        b[5] = c.b5;
        b[10] = c.b10;
        EXPECT_EQ(Checked(b).MessageKind(), c.kind)
            << "b4=" << int(c.b4) << " b5=" << int(c.b5) << " b10=" << int(c.b10);
    }
    EXPECT_STREQ(LnKindName(eOPCSVACCESS1), "OPC_SVACCESS Type 1:");
    EXPECT_STREQ(LnKindName(eOPCSVACCESS2), "OPC_SVACCESS Type 2:");
}

TEST(LocoNetMessage, ParsesTypedHexText)
{
    struct Case {
        const char* text;
        std::optional<Bytes> bytes;  // nullopt: rejected
    };
    const Case cases[] = {
        {"83 7C", Bytes{0x83, 0x7C}},
        {"83 7C ", Bytes{0x83, 0x7C}},
        {"   83    7C", Bytes{0x83, 0x7C}},
        {"83 7C zz", Bytes{0x83, 0x7C}},
        {"83 7C   ---", Bytes{0x83, 0x7C}},
        {"b2 00 50 1d", Bytes{0xB2, 0x00, 0x50, 0x1D}},
        {"1FF 7C", Bytes{0xFF, 0x7C}},
        {"0x83 0X7c", Bytes{0x83, 0x7C}},
        {"B2 0 50 1D", Bytes{0xB2, 0x00, 0x50, 0x1D}},
        {"-1 7C", Bytes{0xFF, 0x7C}},                 // the C conversion negates
        {"+83 7C", Bytes{0x83, 0x7C}},
        {"FFFFFFFFFFFF 01", Bytes{0xFF, 0x01}},       // saturates
        {"83", std::nullopt},
        {"83,7C", std::nullopt},
        {"83 zz 7C", std::nullopt},
        {"83\t7C", std::nullopt},
        {"83 7C\n", std::nullopt},
        {"83 7Cg", std::nullopt},
        {"0x 7C", std::nullopt},
        {"83 - 7C", std::nullopt},
        {"   ", std::nullopt},
        {"zz", std::nullopt},
    };
    for (const Case& c : cases) {
        std::string bytes, reason;
        const bool ok = TLocoNetMessage::ParseHexText(c.text, bytes, reason);
        const TLocoNetMessage m{std::string_view(c.text)};
        if (c.bytes) {
            EXPECT_TRUE(ok) << '"' << c.text << "\": " << reason;
            EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), *c.bytes) << c.text;
            EXPECT_EQ(BytesOf(m), *c.bytes) << c.text;
            EXPECT_EQ(m.Capacity(), m.Length()) << c.text;
        } else {
            EXPECT_FALSE(ok) << '"' << c.text << '"';
            EXPECT_FALSE(reason.empty()) << c.text;
            EXPECT_TRUE(bytes.empty()) << c.text;
            EXPECT_EQ(m.Length(), 0u) << c.text;
            EXPECT_EQ(m.Capacity(), 0u) << c.text;
            EXPECT_EQ(m.Data(), nullptr) << c.text;
        }
    }
    // Empty text: no bytes, no buffer; not a rejection of the parse itself.
    std::string bytes;
    EXPECT_TRUE(TLocoNetMessage::ParseHexText("", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(TLocoNetMessage(std::string_view("")).Capacity(), 0u);
}

TEST(LocoNetMessage, HexTextParsesBackForEveryByteValue)
{
    for (int v = 0; v < 256; ++v) {
        const TLocoNetMessage m = FromBytes({static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v), 0x00});
        const TLocoNetMessage back{std::string_view(m.HexText())};
        EXPECT_EQ(BytesOf(back), BytesOf(m)) << v;
    }
}

TEST(LocoNetMessage, BufferDoublesWhenFull)
{
    TLocoNetMessage m;
    for (int i = 0; i < 16; ++i) m.AppendByte(static_cast<uint8_t>(i));
    EXPECT_EQ(m.Capacity(), 16u);
    m.AppendByte(16);
    EXPECT_EQ(m.Capacity(), 32u);
    for (int i = 17; i < 32; ++i) m.AppendByte(static_cast<uint8_t>(i));
    EXPECT_EQ(m.Capacity(), 32u);
    m.AppendByte(32);
    EXPECT_EQ(m.Capacity(), 64u);
    ASSERT_EQ(m.Length(), 33u);
    for (uint32_t i = 0; i < 33; ++i) EXPECT_EQ(m.ByteAt(i), i);
    EXPECT_EQ(m.ByteAt(33), 0);
    EXPECT_EQ(m.ByteAt(1000000), 0);

    // A message without a buffer grows from nothing.
    TLocoNetMessage bare{std::string_view("")};
    bare.AppendByte(0x83);
    EXPECT_EQ(bare.Capacity(), 1u);
    bare.AppendChecksum();
    EXPECT_EQ(bare.Capacity(), 2u);
    EXPECT_EQ(bare.RawText(), "OPC_GPON:83 7C ");

    // Clear keeps the buffer for the next build.
    m.Clear();
    EXPECT_EQ(m.Length(), 0u);
    EXPECT_EQ(m.Capacity(), 64u);
}

TEST(LocoNetMessage, CopiesAreDeepAndKeepCapacity)
{
    TLocoNetMessage original;
    original.AppendByte(0xB2);
    original.AppendByte(0x00);
    original.AppendByte(0x50);
    original.AppendChecksum();

    TLocoNetMessage copy(original);
    EXPECT_EQ(copy.Capacity(), 16u);
    EXPECT_EQ(BytesOf(copy), BytesOf(original));
    EXPECT_NE(copy.Data(), original.Data());
    copy.Clear();
    copy.AppendByte(0x83);
    EXPECT_EQ(original.ByteAt(0), 0xB2);

    TLocoNetMessage assigned = FromBytes({0x83, 0x7C});
    assigned = original;
    EXPECT_EQ(assigned.Capacity(), 16u);
    EXPECT_EQ(BytesOf(assigned), BytesOf(original));
    const TLocoNetMessage& alias = assigned;
    assigned = alias;  // self-assignment keeps the bytes
    EXPECT_EQ(BytesOf(assigned), BytesOf(original));
}
