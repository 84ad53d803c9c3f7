#include "link/Lndecoders.h"

namespace {

std::string Hex2(unsigned value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(2, '0');
    text[0] = kDigits[(value >> 4) & 0x0F];
    text[1] = kDigits[value & 0x0F];
    return text;
}

// Both the switch request and the turnout feedback carry an 11-bit point
// number minus one in byte 1 (bits 0-6) and byte 2 (bits 0-3).
int PointNumber(uint8_t b1, uint8_t b2)
{
    return (((b2 & 0x0F) << 7) | (b1 & 0x7F)) + 1;
}

// Some command stations send the aspect bytes scaled down by four with bit 6
// set; bring them back to the plain scale.
int NormaliseAspectByte(uint8_t value)
{
    if (value >= 0x40) return ((value & 0x3F) * 4) & 0xFF;
    return value;
}

constexpr const char* kSwitchStateTexts[4] = {
    ", THROWN Released", ", THROWN Pressed", ", CLOSED Released", ", CLOSED Pressed"};

constexpr const char* kAspectTexts[5] = {
    " is RED", " is Amber", " is Double amber", " is Green", " is RED, reverse running"};

constexpr const char* kSlotUsageTexts[4] = {"Slot Free", "Slot Common", "Slot Idle", "Slot In Use"};
constexpr const char* kConsistTexts[4] = {"Free Loco", "Consist SubMember", "Consist Top", "Mid Consist"};
constexpr const char* kDecoderTypeTexts[8] = {
    "DCC 28 Speed Steps", "Trinary",  "DCC 14 Speed Steps", "DCC 128 Speed Steps",
    "DCC 28 Speed Steps, FX decoder", "Reserved", "Reserved", "DCC 128 Speed Steps, FX decoder"};

// " F5 set; "-style list of the set bits of functions, numbered from first.
std::string FunctionTexts(uint8_t functions, int count, int first)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (!(functions & (1u << i))) continue;
        text += 'F';
        text += std::to_string(first + i);
        text += " set; ";
    }
    return text;
}

}  // namespace

// ---- Switch request ----

TLNSwReqMessage::TLNSwReqMessage(int point, int state)
{
    const int n = point - 1;
    Clear();
    AppendByte(0xB0);
    AppendByte(static_cast<uint8_t>(n & 0x7F));
    AppendByte(static_cast<uint8_t>(((state & 3) << 4) | ((n >> 7) & 0x0F)));
    AppendChecksum();
}

bool TLNSwReqMessage::GetSwitchRequest(int& point, int& state) const
{
    if (MessageKind() != eOPCSWREQ) return false;
    point = PointNumber(ByteAt(1), ByteAt(2));
    state = (ByteAt(2) >> 4) & 3;
    return true;
}

std::string TLNSwReqMessage::ToText() const
{
    int point = 0, state = 0;
    if (!GetSwitchRequest(point, state)) return "Incorrect parse - not eOPCSWREQ";
    return "OPC_SWREQ: Switch request, point number = " + std::to_string(point) + kSwitchStateTexts[state];
}

// ---- Sensor report ----

TLNSensFBMessage::TLNSensFBMessage(int board, int input, bool on)
{
    // The 12-bit sensor address travels as an 11-bit value plus the input-half bit.
    const int v = (board - 1) * 8 + ((input - 1) >> 1);
    Clear();
    AppendByte(0xB2);
    AppendByte(static_cast<uint8_t>(v & 0x7F));
    AppendByte(static_cast<uint8_t>(((v >> 7) & 0x0F) | 0x40 | (((input - 1) & 1) ? 0x20 : 0) | (on ? 0x10 : 0)));
    AppendChecksum();
}

bool TLNSensFBMessage::GetSensorReport(int& board, int& input, bool& on) const
{
    if (MessageKind() != eOPCSENS) return false;
    const uint8_t b2 = ByteAt(2);
    const int v = (ByteAt(1) & 0x7F) | ((b2 & 0x0F) << 7);
    board = (v >> 3) + 1;
    input = (v & 7) * 2 + ((b2 & 0x20) ? 1 : 0) + 1;
    on = (b2 & 0x10) != 0;
    return true;
}

std::string TLNSensFBMessage::ToText() const
{
    int board = 0, input = 0;
    bool on = false;
    if (!GetSensorReport(board, input, on)) return "Incorrect parse - not eOPCSENS";
    return "OPC_SENSORREP sensor report:" + std::to_string(board) + "," + std::to_string(input) +
           (on ? " On" : " Off");
}

// ---- Signal message ----

bool TLNSEMessage::GetSignalAspect(int& signal, int& aspect) const
{
    if (MessageKind() != eOPCSE) return false;
    signal = ((ByteAt(2) << 7) | ByteAt(3)) + 1;
    const int a = NormaliseAspectByte(ByteAt(6));
    const int r = NormaliseAspectByte(ByteAt(7));
    if (a == 0) aspect = 0;
    else if (a <= 8) aspect = 1;
    else if (a <= 16) aspect = 2;
    else aspect = 3;
    if (r > 0) aspect = 4;
    return true;
}

std::string TLNSEMessage::ToText() const
{
    int signal = 0, aspect = 0;
    if (!GetSignalAspect(signal, aspect)) return "Incorrect parse - not eOPCSE";
    return "<SE> Signal message, Signal number = " + std::to_string(signal) + kAspectTexts[aspect];
}

// ---- Turnout feedback ----

bool TLNToFBMessage::GetTurnoutFeedback(int& point, bool& closed) const
{
    if (MessageKind() != eOPCTOFB) return false;
    point = PointNumber(ByteAt(1), ByteAt(2));
    closed = (ByteAt(2) & 0x10) != 0;
    return true;
}

std::string TLNToFBMessage::ToText() const
{
    int point = 0;
    bool closed = false;
    if (!GetTurnoutFeedback(point, closed)) return "Incorrect parse - not eOPCTOFB";
    return "Turnout Feedback, point number = " + std::to_string(point) + (closed ? " is CLOSED" : " is THROWN");
}

// ---- Locomotive slot messages ----

bool TLNLocoSPDMessage::GetLocoSpeed(int& slot, int& speed) const
{
    if (MessageKind() != eOPCLOCOSPD) return false;
    slot = ByteAt(1);
    speed = ByteAt(2);
    return true;
}

std::string TLNLocoSPDMessage::ToText() const
{
    int slot = 0, speed = 0;
    if (!GetLocoSpeed(slot, speed)) return "Incorrect parse - not eOPCLOCOSPD";
    return "OPC_LOCO_SPD throttle speed: slot=" + std::to_string(slot) + ", speed=" + std::to_string(speed);
}

bool TLNLocoDIRFMessage::GetLocoDirection(int& slot, bool& forward, uint8_t& functions) const
{
    if (MessageKind() != eOPCLOCODIRF) return false;
    const uint8_t b2 = ByteAt(2);
    slot = ByteAt(1);
    forward = (b2 & 0x20) == 0;
    functions = static_cast<uint8_t>(((b2 >> 4) & 1) | ((b2 & 0x0F) << 1));
    return true;
}

std::string TLNLocoDIRFMessage::ToText() const
{
    int slot = 0;
    bool forward = true;
    uint8_t functions = 0;
    if (!GetLocoDirection(slot, forward, functions)) return "Incorrect parse - not eOPCLOCODIRF";
    return "OPC_LOCO_DIRF throttle direction: slot=" + std::to_string(slot) +
           (forward ? ", FORWARD; " : ", REVERSE; ") + FunctionTexts(functions, 5, 0);
}

bool TLNLocoSNDMessage::GetLocoSound(int& slot, uint8_t& functions) const
{
    if (MessageKind() != eOPCLOCOSND) return false;
    slot = ByteAt(1);
    functions = ByteAt(2) & 0x0F;
    return true;
}

std::string TLNLocoSNDMessage::ToText() const
{
    int slot = 0;
    uint8_t functions = 0;
    if (!GetLocoSound(slot, functions)) return "Incorrect parse - not eOPCLOCOSND";
    return "OPC_LOCO_SND throttle functions: slot=" + std::to_string(slot) + "; " + FunctionTexts(functions, 4, 5);
}

bool TLNLocoF9F12Message::GetLocoF9F12(int& slot, uint8_t& functions) const
{
    if (MessageKind() != eOPCLOCOF9F12) return false;
    slot = ByteAt(1);
    functions = ByteAt(2) & 0x0F;
    return true;
}

std::string TLNLocoF9F12Message::ToText() const
{
    int slot = 0;
    uint8_t functions = 0;
    if (!GetLocoF9F12(slot, functions)) return "Incorrect parse - not eOPCLOCOF9F12";
    return "OPC_LOCO_F9F12 throttle functions: slot=" + std::to_string(slot) + "; " + FunctionTexts(functions, 4, 9);
}

bool TLNMoveSlotMessage::GetMoveSlots(int& source, int& destination) const
{
    if (MessageKind() != eOPCMOVESLOTS) return false;
    source = ByteAt(1);
    destination = ByteAt(2);
    return true;
}

std::string TLNMoveSlotMessage::ToText() const
{
    int source = 0, destination = 0;
    if (!GetMoveSlots(source, destination)) return "Incorrect parse - not eOPCMOVESLOTS";
    return "OPC_MOVE_SLOTS: move FROM slot " + std::to_string(source) + " TO slot " + std::to_string(destination);
}

bool TLNWriteSlotStat1Message::GetSlotStatus(int& slot, int& usage, int& consist, int& decoderType) const
{
    if (MessageKind() != eOPCSLOTSTAT1) return false;
    const uint8_t b2 = ByteAt(2);
    slot = ByteAt(1);
    usage = (b2 >> 4) & 3;
    consist = 2 * ((b2 >> 3) & 1) + ((b2 >> 6) & 1);
    decoderType = b2 & 7;
    return true;
}

std::string TLNWriteSlotStat1Message::ToText() const
{
    int slot = 0, usage = 0, consist = 0, decoderType = 0;
    if (!GetSlotStatus(slot, usage, consist, decoderType)) return "Incorrect parse - not eOPCSLOTSTAT1";
    return "OPC_SLOT_STAT1: slot=" + std::to_string(slot) + ";" + kSlotUsageTexts[usage] + ";" +
           kConsistTexts[consist] + ";" + kDecoderTypeTexts[decoderType];
}

bool TLNLocoAddrMessage::GetLocoAddress(int& address) const
{
    if (MessageKind() != eOPCLOCOADR) return false;
    address = ByteAt(1) * 128 + ByteAt(2);
    return true;
}

std::string TLNLocoAddrMessage::ToText() const
{
    int address = 0;
    if (!GetLocoAddress(address)) return "Incorrect parse - not eOPCLOCOADR";
    return "OPC_LOCO_ADDR, loco=" + std::to_string(address);
}

// ---- Long acknowledge ----

bool TLNLongACKMessage::GetLongAck(int& opcode, int& response) const
{
    if (MessageKind() != eOPCLONGACK) return false;
    opcode = ByteAt(1);
    response = ByteAt(2);
    return true;
}

std::string TLNLongACKMessage::ToText() const
{
    int opcode = 0, response = 0;
    if (!GetLongAck(opcode, response)) return "Incorrect parse - not eOPCLONGACK";
    return "OPC_LONG_ACK opcode=" + (opcode == 0 ? std::string("fail") : Hex2(opcode | 0x80)) +
           ", response=" + std::to_string(response);
}

// ---- Peer transfer ----

uint8_t TLNPeerXferMessage::PeerData(int n) const
{
    if (n >= 1 && n <= 4) {
        const bool high = ByteAt(5) & (1u << (n - 1));
        return static_cast<uint8_t>(ByteAt(5 + n) | (high ? 0x80 : 0));
    }
    if (n >= 5 && n <= 8) {
        const bool high = ByteAt(10) & (1u << (n - 5));
        return static_cast<uint8_t>(ByteAt(6 + n) | (high ? 0x80 : 0));
    }
    return 0;
}

bool TLNPeerXferMessage::IsLocoBufferReply() const
{
    return MessageKind() == eOPCPEERXFER && ByteAt(2) == 0x50 && ByteAt(3) == 0x50 && ByteAt(4) == 0x01;
}

bool TLNPeerXferMessage::GetLocoBufferReply(TLocoBufferReply& reply) const
{
    if (!IsLocoBufferReply()) return false;
    const auto d = [this](int n) { return static_cast<uint32_t>(PeerData(n)); };
    reply.versionMajor = static_cast<int>(d(1) >> 4);
    reply.versionMinor = static_cast<int>(d(1) & 0x0F);
    reply.versionBuild = static_cast<int>(d(5) >> 4);
    reply.versionPatch = static_cast<int>(d(5) & 0x0F);
    reply.badFrames = d(2) * 65536 + d(3) * 256 + d(4);
    reply.collisions = d(6) * 65536 + d(7) * 256 + d(8);
    return true;
}

std::string TLNPeerXferMessage::ToText() const
{
    TLocoBufferReply r;
    if (GetLocoBufferReply(r)) {
        return "LocoBuffer V" + std::to_string(r.versionMajor) + "." + std::to_string(r.versionMinor) + "." +
               std::to_string(r.versionBuild) + "." + std::to_string(r.versionPatch) +
               ", Bad Frames = " + std::to_string(r.badFrames) + ", Collisions = " + std::to_string(r.collisions);
    }
    std::string text = "Peer Transfer: Unknown or improper format";
    text += " Src=" + std::to_string(ByteAt(2));
    text += " Dst=" + std::to_string(ByteAt(4) * 128 + ByteAt(3));
    for (int n = 1; n <= 8; ++n) {
        text += " D";
        text += std::to_string(n);
        text += '=';
        text += Hex2(PeerData(n));
    }
    return text;
}
