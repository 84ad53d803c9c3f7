#include "link/Lndispatch.h"

#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"
#include "link_test_util.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <typeindex>
#include <typeinfo>

using namespace linktest;

// Received bytes in, display line and decoder class out: the lines the
// monitor shows for each kind the dispatch explains.
TEST(Dispatch, DecodedLinesOfReceivedMessages)
{
    struct Case {
        const char* hex;  // checksum included
        std::type_index type;
        const char* text;
    };
    const Case cases[] = {
        {"BF 01 02 43", typeid(TLNLocoAddrMessage), "OPC_LOCO_ADDR, loco=130"},
        {"BA 01 02 46", typeid(TLNMoveSlotMessage), "OPC_MOVE_SLOTS: move FROM slot 1 TO slot 2"},
        {"B5 09 33 70", typeid(TLNWriteSlotStat1Message),
         "OPC_SLOT_STAT1: slot=9;Slot In Use;Free Loco;DCC 128 Speed Steps"},
        {"B4 30 00 7B", typeid(TLNLongACKMessage), "OPC_LONG_ACK opcode=B0, response=0"},
        {"B2 00 50 1D", typeid(TLNSensFBMessage), "OPC_SENSORREP sensor report:1,1 On"},
        {"B2 7F 7F 4D", typeid(TLNSensFBMessage), "OPC_SENSORREP sensor report:256,16 On"},
        {"B1 00 50 1E", typeid(TLNToFBMessage), "Turnout Feedback, point number = 1 is CLOSED"},
        {"B0 00 30 7F", typeid(TLNSwReqMessage), "OPC_SWREQ: Switch request, point number = 1, CLOSED Pressed"},
        {"B0 7F 1F 2F", typeid(TLNSwReqMessage), "OPC_SWREQ: Switch request, point number = 2048, THROWN Pressed"},
        {"A3 03 0A 55", typeid(TLNLocoF9F12Message), "OPC_LOCO_F9F12 throttle functions: slot=3; F10 set; F12 set; "},
        {"A2 03 05 5B", typeid(TLNLocoSNDMessage), "OPC_LOCO_SND throttle functions: slot=3; F5 set; F7 set; "},
        {"A1 07 30 69", typeid(TLNLocoDIRFMessage), "OPC_LOCO_DIRF throttle direction: slot=7, REVERSE; F0 set; "},
        {"A0 05 7F 25", typeid(TLNLocoSPDMessage), "OPC_LOCO_SPD throttle speed: slot=5, speed=127"},
        {"E5 10 00 01 02 11 52 04 05 00 10 0A 00 00 00 51", typeid(TLNSVProgMessage),
         "SV Access: Write 1 Byte Dst=1234 Addr=0005 data=0A"},
        {"E5 10 50 50 01 00 12 00 00 00 00 34 00 00 00 2D", typeid(TLNPeerXferMessage),
         "LocoBuffer V1.2.3.4, Bad Frames = 0, Collisions = 0"},
        {"E4 09 00 00 00 00 11 00 03", typeid(TLNSEMessage), "<SE> Signal message, Signal number = 1 is Green"},
        // Kinds no class explains, and messages that are not valid, stay plain.
        {"83 7C", typeid(TLocoNetMessage), "OPC_GPON:83 7C "},
        {"B1 00 30 7E", typeid(TLocoNetMessage), "OPC_OPSTATE:B1 00 30 7E "},
        {"B2 00 50 1C", typeid(TLocoNetMessage), "Unknown:B2 00 50 1C "},
        {"E5 10 00 01 01 00 52 04 05 00 10 0A 00 00 00 43", typeid(TLocoNetMessage),
         "OPC_SVACCESS Type 1:E5 10 00 01 01 00 52 04 05 00 10 0A 00 00 00 43 "},
    };
    for (const Case& c : cases) {
        const TLocoNetMessage received = Hex(c.hex);
        ASSERT_EQ(received.Length() >= 2, true) << c.hex;
        const auto decoded = MakeDecoderMessage(received);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(std::type_index(typeid(*decoded)), c.type) << c.hex;
        EXPECT_EQ(decoded->ToText(), c.text) << c.hex;
        EXPECT_EQ(decoded->RawText(), received.RawText()) << c.hex;
        EXPECT_EQ(BytesOf(*decoded), BytesOf(received));
        EXPECT_EQ(decoded->Capacity(), received.Capacity());
    }
}

// One valid message of every kind: the decoded kinds are exactly the dispatch
// table's, and every other kind's text is its raw text.
TEST(Dispatch, KindsWithAndWithoutDecoder)
{
    const std::set<int> decoded = {7, 11, 15, 16, 17, 19, 20, 21, 22, 23, 24, 36, 37, 40};
    for (int kind = 0; kind < kLnMessageKindCount; ++kind)
        EXPECT_EQ(HasDecoderForKind(kind), decoded.count(kind) == 1) << kind;

    const char* const plainKinds[] = {
        "85", "83", "82", "81", "88", "89", "BD 00 00", "BC 00 00", "BB 00 00", "B9 00 00", "B8 00 00",
        "B6 00 00", "B1 00 00", "D1 00 00 00 00", "D0 00 00 00 00", "DF 00 00 00 00", "D7 00 00 00 00",
        "E5 11 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "E4 0C 00 00 00 00 00 00 00 00 00",
        "E5 0A 00 00 00 00 00 00 00", "ED 0B 00 00 00 00 00 00 00 00",
    };
    for (const char* hex : plainKinds) {
        TLocoNetMessage m;
        if (std::string(hex).size() == 2) {
            m.AppendByte(static_cast<uint8_t>(std::stoi(hex, nullptr, 16)));
            m.AppendChecksum();
        } else {
            m = HexChecked(hex);
        }
        ASSERT_NE(m.MessageKind(), eUnknown) << hex;
        ASSERT_FALSE(HasDecoderForKind(m.MessageKind())) << hex;
        const auto d = MakeDecoderMessage(m);
        EXPECT_EQ(std::type_index(typeid(*d)), std::type_index(typeid(TLocoNetMessage))) << hex;
        EXPECT_EQ(d->ToText(), m.RawText()) << hex;
    }
}

// Random bytes, with and without a proper opcode length and checksum, never
// upset classification, decoding or the text forms; and the typed form of
// any message parses back to the same bytes.
TEST(Dispatch, RandomBytesDecodeSafely)
{
    std::mt19937 random(20240611);
    const uint8_t opcodes[] = {0xB0, 0xB1, 0xB2, 0xB4, 0xB5, 0xBA, 0xBF, 0xA0, 0xA1, 0xA2, 0xA3, 0xE4, 0xE5};
    std::set<int> kindsSeen;
    for (int round = 0; round < 100000; ++round) {
        const int shape = round % 4;
        TLocoNetMessage m;
        if (shape == 0) {
            // Anything at all.
            const int length = static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i) m.AppendByte(static_cast<uint8_t>(random()));
        } else {
            // A well-framed message, SV-like or not.
            const uint8_t op = opcodes[random() % std::size(opcodes)];
            const int length = (op & 0x60) == 0x60 ? (op == 0xE4 ? 9 : 16) : 4;
            m.AppendByte(op);
            for (int i = 1; i < length - 1; ++i) m.AppendByte(static_cast<uint8_t>(random() & 0x7F));
            if (length == 16) {
                TLocoNetMessage framed;
                for (int i = 0; i < length - 1; ++i) {
                    uint8_t b = m.ByteAt(i);
                    if (i == 1) b = 0x10;
                    if (shape == 2 && i == 4) b = 2;
                    if (shape == 2 && (i == 5 || i == 10)) b = 0x10 | (b & 0x0F);
                    framed.AppendByte(b);
                }
                m = framed;
            } else if (length == 9) {
                TLocoNetMessage framed;
                for (int i = 0; i < length - 1; ++i) framed.AppendByte(i == 1 ? 9 : m.ByteAt(i));
                m = framed;
            }
            m.AppendChecksum();
            if (shape == 3) {
                TLocoNetMessage corrupt;
                for (uint32_t i = 0; i < m.Length(); ++i) corrupt.AppendByte(m.ByteAt(i) ^ (i == 2 ? 1 : 0));
                m = corrupt;
            }
        }
        const int kind = m.MessageKind();
        ASSERT_GE(kind, 0);
        ASSERT_LT(kind, kLnMessageKindCount);
        kindsSeen.insert(kind);
        const auto d = MakeDecoderMessage(m);
        const std::string text = d->ToText();
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.find("Incorrect parse"), std::string::npos) << m.RawText();
        ASSERT_EQ(d->RawText(), m.RawText());
        if (m.Length() >= 2) {
            const TLocoNetMessage typed{std::string_view(m.HexText())};
            ASSERT_EQ(BytesOf(typed), BytesOf(m));
        }
        // Every decoder class on bytes of any kind: its own text or its parse failure.
        ASSERT_FALSE(TLNSVProgMessage(m).ToText().empty());
        ASSERT_FALSE(TLNPeerXferMessage(m).ToText().empty());
        ASSERT_FALSE(TLNSEMessage(m).ToText().empty());
        ASSERT_FALSE(TLNWriteSlotStat1Message(m).ToText().empty());
    }
    // The generator reached the decoded kinds.
    for (int kind : {11, 15, 16, 17, 19, 20, 21, 22, 23, 24, 36, 37, 40})
        EXPECT_EQ(kindsSeen.count(kind), 1u) << kind;
}

TEST(Dispatch, RandomTextParsesSafely)
{
    std::mt19937 random(7);
    const std::string alphabet = "0123456789abcdefABCDEF xX+-,\t\r\nzZ\x80\xff";
    for (int round = 0; round < 100000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 30);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        std::string bytes, reason;
        const bool ok = TLocoNetMessage::ParseHexText(text, bytes, reason);
        const TLocoNetMessage m{std::string_view(text)};
        if (ok && !text.empty()) {
            ASSERT_GE(bytes.size(), 2u) << text;
            ASSERT_EQ(m.Length(), bytes.size());
        } else {
            ASSERT_EQ(m.Length(), 0u);
            if (!text.empty()) {
                ASSERT_FALSE(reason.empty()) << text;
            }
        }
        ASSERT_LE(bytes.size(), text.size());
        ASSERT_FALSE(MakeDecoderMessage(m)->ToText().empty());
    }
}
