#include "link/Lndecoders.h"

#include "link_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace linktest;

namespace {

template <class T>
std::string TextAs(const TLocoNetMessage& m)
{
    return T(m).ToText();
}

const char* const kSwitchStates[4] = {", THROWN Released", ", THROWN Pressed", ", CLOSED Released",
                                      ", CLOSED Pressed"};

}  // namespace

TEST(SwitchRequest, BuildsTheKnownBytes)
{
    EXPECT_EQ(BytesOf(TLNSwReqMessage(1, 3)), (Bytes{0xB0, 0x00, 0x30, 0x7F}));
    EXPECT_EQ(BytesOf(TLNSwReqMessage(2048, 1)), (Bytes{0xB0, 0x7F, 0x1F, 0x2F}));

    int point = 0, state = 0;
    ASSERT_TRUE(TLNSwReqMessage(Hex("B0 00 30 7F")).GetSwitchRequest(point, state));
    EXPECT_EQ(point, 1);
    EXPECT_EQ(state, 3);
    ASSERT_TRUE(TLNSwReqMessage(Hex("B0 7F 1F 2F")).GetSwitchRequest(point, state));
    EXPECT_EQ(point, 2048);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(TLNSwReqMessage(Hex("B0 00 30 7F")).ToText(), "OPC_SWREQ: Switch request, point number = 1, CLOSED Pressed");
}

TEST(SwitchRequest, EveryPointAndStateRoundTrips)
{
    for (int point = 1; point <= 2048; ++point) {
        for (int state = 0; state < 4; ++state) {
            const TLNSwReqMessage built(point, state);
            ASSERT_EQ(built.Length(), 4u);
            ASSERT_EQ(built.MessageKind(), eOPCSWREQ) << point << "/" << state;
            int p = 0, s = 0;
            ASSERT_TRUE(TLNSwReqMessage(built).GetSwitchRequest(p, s));
            ASSERT_EQ(p, point);
            ASSERT_EQ(s, state);
            ASSERT_EQ(built.ToText(),
                      "OPC_SWREQ: Switch request, point number = " + std::to_string(point) + kSwitchStates[state]);
        }
    }
}

TEST(SensorReport, BuildsTheKnownBytes)
{
    EXPECT_EQ(BytesOf(TLNSensFBMessage(1, 1, true)), (Bytes{0xB2, 0x00, 0x50, 0x1D}));
    EXPECT_EQ(BytesOf(TLNSensFBMessage(1, 2, false)), (Bytes{0xB2, 0x00, 0x60, 0x2D}));
    EXPECT_EQ(BytesOf(TLNSensFBMessage(256, 16, true)), (Bytes{0xB2, 0x7F, 0x7F, 0x4D}));
    EXPECT_EQ(TLNSensFBMessage(Hex("B2 00 50 1D")).ToText(), "OPC_SENSORREP sensor report:1,1 On");
    EXPECT_EQ(TLNSensFBMessage(Hex("B2 7F 7F 4D")).ToText(), "OPC_SENSORREP sensor report:256,16 On");
    EXPECT_EQ(TLNSensFBMessage(Hex("B2 00 60 2D")).ToText(), "OPC_SENSORREP sensor report:1,2 Off");
    // Bit 6 of byte 2 is not examined when reading.
    EXPECT_EQ(TLNSensFBMessage(HexChecked("B2 00 10")).ToText(), "OPC_SENSORREP sensor report:1,1 On");
}

TEST(SensorReport, EveryBoardInputAndLevelRoundTrips)
{
    for (int board = 1; board <= 256; ++board) {
        for (int input = 1; input <= 16; ++input) {
            for (bool on : {false, true}) {
                const TLNSensFBMessage built(board, input, on);
                ASSERT_EQ(built.MessageKind(), eOPCSENS) << board << "," << input;
                ASSERT_TRUE(built.ByteAt(2) & 0x40);
                int b = 0, i = 0;
                bool o = !on;
                ASSERT_TRUE(TLNSensFBMessage(built).GetSensorReport(b, i, o));
                ASSERT_EQ(b, board);
                ASSERT_EQ(i, input);
                ASSERT_EQ(o, on);
                ASSERT_EQ(built.ToText(), "OPC_SENSORREP sensor report:" + std::to_string(board) + "," +
                                              std::to_string(input) + (on ? " On" : " Off"));
            }
        }
    }
}

TEST(SignalMessage, AspectFromBytesSixAndSeven)
{
    struct Case {
        uint8_t b6, b7;
        int aspect;
        const char* text;
    };
    const Case cases[] = {
        {0x00, 0x00, 0, " is RED"},
        {0x01, 0x00, 1, " is Amber"},
        {0x08, 0x00, 1, " is Amber"},
        {0x09, 0x00, 2, " is Double amber"},
        {0x10, 0x00, 2, " is Double amber"},
        {0x11, 0x00, 3, " is Green"},
        {0x3F, 0x00, 3, " is Green"},
        {0x42, 0x00, 1, " is Amber"},         // normalised to 8
        {0x40, 0x00, 0, " is RED"},           // normalised to 0
        {0x44, 0x00, 2, " is Double amber"},  // normalised to 16
        {0x45, 0x00, 3, " is Green"},         // normalised to 20
        {0x11, 0x01, 4, " is RED, reverse running"},
        {0x00, 0x01, 4, " is RED, reverse running"},
        {0x11, 0x40, 3, " is Green"},         // byte 7 normalises to 0
        {0x11, 0x41, 4, " is RED, reverse running"},
    };
    for (const Case& c : cases) {
        TLocoNetMessage m;
        for (uint8_t b : {0xE4, 0x09, 0x01, 0x02, 0x00, 0x00, int(c.b6), int(c.b7)}) m.AppendByte(b);
        m.AppendChecksum();
        const TLNSEMessage se(m);
        int signal = 0, aspect = -1;
        ASSERT_TRUE(se.GetSignalAspect(signal, aspect)) << int(c.b6);
        EXPECT_EQ(signal, 131);
        EXPECT_EQ(aspect, c.aspect) << "b6=" << int(c.b6) << " b7=" << int(c.b7);
        EXPECT_EQ(se.ToText(), std::string("<SE> Signal message, Signal number = 131") + c.text);
    }
}

// Fixed sample messages of the decoded kinds and their lines.
TEST(Decoders, TextsOfSampleMessages)
{
    struct Case {
        const char* hex;  // without checksum
        std::string (*text)(const TLocoNetMessage&);
        const char* expected;
    };
    const Case cases[] = {
        {"B1 00 50", &TextAs<TLNToFBMessage>, "Turnout Feedback, point number = 1 is CLOSED"},
        {"B1 7F 4F", &TextAs<TLNToFBMessage>, "Turnout Feedback, point number = 2048 is THROWN"},
        {"A0 05 7F", &TextAs<TLNLocoSPDMessage>, "OPC_LOCO_SPD throttle speed: slot=5, speed=127"},
        {"A1 07 30", &TextAs<TLNLocoDIRFMessage>,
         "OPC_LOCO_DIRF throttle direction: slot=7, REVERSE; F0 set; "},
        {"A1 07 0F", &TextAs<TLNLocoDIRFMessage>,
         "OPC_LOCO_DIRF throttle direction: slot=7, FORWARD; F1 set; F2 set; F3 set; F4 set; "},
        {"A1 7F 00", &TextAs<TLNLocoDIRFMessage>, "OPC_LOCO_DIRF throttle direction: slot=127, FORWARD; "},
        {"A2 03 05", &TextAs<TLNLocoSNDMessage>, "OPC_LOCO_SND throttle functions: slot=3; F5 set; F7 set; "},
        {"A2 03 70", &TextAs<TLNLocoSNDMessage>, "OPC_LOCO_SND throttle functions: slot=3; "},
        {"A3 03 0A", &TextAs<TLNLocoF9F12Message>,
         "OPC_LOCO_F9F12 throttle functions: slot=3; F10 set; F12 set; "},
        {"BA 01 02", &TextAs<TLNMoveSlotMessage>, "OPC_MOVE_SLOTS: move FROM slot 1 TO slot 2"},
        {"BF 01 02", &TextAs<TLNLocoAddrMessage>, "OPC_LOCO_ADDR, loco=130"},
        {"B5 09 33", &TextAs<TLNWriteSlotStat1Message>,
         "OPC_SLOT_STAT1: slot=9;Slot In Use;Free Loco;DCC 128 Speed Steps"},
        {"B5 09 48", &TextAs<TLNWriteSlotStat1Message>,
         "OPC_SLOT_STAT1: slot=9;Slot Free;Mid Consist;DCC 28 Speed Steps"},
        {"B5 09 0C", &TextAs<TLNWriteSlotStat1Message>,
         "OPC_SLOT_STAT1: slot=9;Slot Free;Consist Top;DCC 28 Speed Steps, FX decoder"},
        {"B5 09 55", &TextAs<TLNWriteSlotStat1Message>,
         "OPC_SLOT_STAT1: slot=9;Slot Common;Consist SubMember;Reserved"},
        {"B5 09 27", &TextAs<TLNWriteSlotStat1Message>,
         "OPC_SLOT_STAT1: slot=9;Slot Idle;Free Loco;DCC 128 Speed Steps, FX decoder"},
        {"B4 30 00", &TextAs<TLNLongACKMessage>, "OPC_LONG_ACK opcode=B0, response=0"},
        {"B4 00 7F", &TextAs<TLNLongACKMessage>, "OPC_LONG_ACK opcode=fail, response=127"},
        {"B4 6F 01", &TextAs<TLNLongACKMessage>, "OPC_LONG_ACK opcode=EF, response=1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text(HexChecked(c.hex)), c.expected) << c.hex;
}

TEST(Decoders, SlotStatusFields)
{
    int slot = 0, usage = 0, consist = 0, type = 0;
    ASSERT_TRUE(TLNWriteSlotStat1Message(HexChecked("B5 01 33")).GetSlotStatus(slot, usage, consist, type));
    EXPECT_EQ(usage, 3);
    EXPECT_EQ(consist, 0);
    EXPECT_EQ(type, 3);
    ASSERT_TRUE(TLNWriteSlotStat1Message(HexChecked("B5 01 48")).GetSlotStatus(slot, usage, consist, type));
    EXPECT_EQ(usage, 0);
    EXPECT_EQ(consist, 3);
    EXPECT_EQ(type, 0);
}

TEST(PeerTransfer, LocoBufferReply)
{
    // Source 0x50, destination 0x50/0x01; D1 = 0x92 travels as 0x12 with bit 0 of byte 5.
    const TLocoNetMessage reply = HexChecked("E5 10 50 50 01 01 12 00 01 02 00 34 00 00 07");
    ASSERT_EQ(reply.MessageKind(), eOPCPEERXFER);
    const TLNPeerXferMessage peer(reply);
    EXPECT_TRUE(peer.IsLocoBufferReply());
    EXPECT_EQ(peer.PeerData(1), 0x92);
    EXPECT_EQ(peer.PeerData(5), 0x34);
    EXPECT_EQ(peer.PeerData(0), 0);
    EXPECT_EQ(peer.PeerData(9), 0);
    TLocoBufferReply r;
    ASSERT_TRUE(peer.GetLocoBufferReply(r));
    EXPECT_EQ(r.badFrames, 258u);
    EXPECT_EQ(r.collisions, 7u);
    EXPECT_EQ(peer.ToText(), "LocoBuffer V9.2.3.4, Bad Frames = 258, Collisions = 7");

    const TLNPeerXferMessage plain(HexChecked("E5 10 50 50 01 00 12 00 00 00 00 34 00 00 00"));
    EXPECT_EQ(plain.ToText(), "LocoBuffer V1.2.3.4, Bad Frames = 0, Collisions = 0");

    // Every high bit restored, the largest counters.
    const TLNPeerXferMessage full(HexChecked("E5 10 50 50 01 0F 7F 7F 7F 7F 0F 7F 7F 7F 7F"));
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(full.PeerData(n), 0xFF) << n;
    EXPECT_EQ(full.ToText(), "LocoBuffer V15.15.15.15, Bad Frames = 16777215, Collisions = 16777215");
}

TEST(PeerTransfer, OtherPeerTransfers)
{
    const TLNPeerXferMessage peer(HexChecked("E5 10 01 02 03 05 0A 0B 0C 0D 08 01 02 03 04"));
    EXPECT_FALSE(peer.IsLocoBufferReply());
    EXPECT_EQ(peer.ToText(),
              "Peer Transfer: Unknown or improper format Src=1 Dst=386 D1=8A D2=0B D3=8C D4=0D D5=01 D6=02 D7=03 D8=84");
    TLocoBufferReply r;
    r.badFrames = 99;
    EXPECT_FALSE(peer.GetLocoBufferReply(r));
    EXPECT_EQ(r.badFrames, 99u);
    // The LocoBuffer's addresses on a message of another kind are not its reply.
    EXPECT_FALSE(TLNPeerXferMessage(HexChecked("E5 10 50 50 01 00 12 00 00 00 10 34 00 00 00")).IsLocoBufferReply());
}

// Bytes of another kind in a decoder class: the reader fails and leaves its
// outputs alone, and the text says so.
TEST(Decoders, BytesOfAnotherKindAreAnIncorrectParse)
{
    const TLocoNetMessage swreq = Hex("B0 00 30 7F");
    const TLocoNetMessage sensor = Hex("B2 00 50 1D");
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {TLNSwReqMessage(sensor).ToText(), "Incorrect parse - not eOPCSWREQ"},
        {TLNSensFBMessage(swreq).ToText(), "Incorrect parse - not eOPCSENS"},
        {TLNSEMessage(swreq).ToText(), "Incorrect parse - not eOPCSE"},
        {TLNToFBMessage(swreq).ToText(), "Incorrect parse - not eOPCTOFB"},
        {TLNLocoSPDMessage(swreq).ToText(), "Incorrect parse - not eOPCLOCOSPD"},
        {TLNLocoDIRFMessage(swreq).ToText(), "Incorrect parse - not eOPCLOCODIRF"},
        {TLNLocoSNDMessage(swreq).ToText(), "Incorrect parse - not eOPCLOCOSND"},
        {TLNLocoF9F12Message(swreq).ToText(), "Incorrect parse - not eOPCLOCOF9F12"},
        {TLNMoveSlotMessage(swreq).ToText(), "Incorrect parse - not eOPCMOVESLOTS"},
        {TLNWriteSlotStat1Message(swreq).ToText(), "Incorrect parse - not eOPCSLOTSTAT1"},
        {TLNLocoAddrMessage(swreq).ToText(), "Incorrect parse - not eOPCLOCOADR"},
        {TLNLongACKMessage(swreq).ToText(), "Incorrect parse - not eOPCLONGACK"},
        // A sensor report with a bad checksum is no sensor report.
        {TLNSensFBMessage(Hex("B2 00 50 1C")).ToText(), "Incorrect parse - not eOPCSENS"},
        // Turnout feedback and the OPSTATE kind share the opcode.
        {TLNToFBMessage(HexChecked("B1 00 30")).ToText(), "Incorrect parse - not eOPCTOFB"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);

    int a = -7, b = -7;
    bool on = true;
    EXPECT_FALSE(TLNSwReqMessage(sensor).GetSwitchRequest(a, b));
    EXPECT_FALSE(TLNSensFBMessage(swreq).GetSensorReport(a, b, on));
    EXPECT_EQ(a, -7);
    EXPECT_EQ(b, -7);
    EXPECT_TRUE(on);

    EXPECT_EQ(TLNPeerXferMessage(swreq).ToText(),
              "Peer Transfer: Unknown or improper format Src=48 Dst=127 D1=00 D2=00 D3=00 D4=00 D5=00 D6=00 D7=00 D8=00");
}

TEST(Decoders, CopiesKeepCapacityLengthAndBytes)
{
    TLocoNetMessage m;
    m.AppendByte(0xB2);
    m.AppendByte(0x00);
    m.AppendByte(0x50);
    m.AppendChecksum();
    const TLNSensFBMessage copy(m);
    EXPECT_EQ(copy.Capacity(), 16u);
    EXPECT_EQ(BytesOf(copy), BytesOf(m));
    // Polymorphic use through the base, as the queues and the dispatch hold them.
    std::unique_ptr<TLocoNetMessage> base = std::make_unique<TLNSensFBMessage>(m);
    EXPECT_EQ(base->ToText(), "OPC_SENSORREP sensor report:1,1 On");
    EXPECT_EQ(base->RawText(), "OPC_SENSORREP:B2 00 50 1D ");
}
