// Decoders for the message kinds the monitor explains, and the two builders
// the message generators send (switch request, sensor report).
//
// Each class is a TLocoNetMessage with no data of its own, made as a copy of a
// received message. Its reader checks MessageKind() first and returns false,
// leaving the outputs untouched, when the bytes are not of the class's kind;
// ToText() then says "Incorrect parse - not eOPC...". Numbers in texts are
// decimal unless stated.
#pragma once

#include "link/Lnmessage.h"

#include <cstdint>
#include <string>

// OPC_SW_REQ (kind 20). States: bit 0 = output on ("Pressed"),
// bit 1 = closed direction; 0 THROWN Released .. 3 CLOSED Pressed.
class TLNSwReqMessage : public TLocoNetMessage {
public:
    explicit TLNSwReqMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}
    // point 1..2048, state 0..3; values outside are masked into the fields.
    TLNSwReqMessage(int point, int state);

    bool GetSwitchRequest(int& point, int& state) const;
    std::string ToText() const override;
};

// OPC_INPUT_REP (kind 17). A sensor is board 1..256, input 1..16 on that board.
class TLNSensFBMessage : public TLocoNetMessage {
public:
    explicit TLNSensFBMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}
    // board 1..256, input 1..16; on = occupied. Values outside are masked.
    TLNSensFBMessage(int board, int input, bool on);

    bool GetSensorReport(int& board, int& input, bool& on) const;
    std::string ToText() const override;
};

// OPC_SE, 9 bytes (kind 40).
class TLNSEMessage : public TLocoNetMessage {
public:
    explicit TLNSEMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // aspect: 0 red, 1 amber, 2 double amber, 3 green, 4 red with reverse running.
    bool GetSignalAspect(int& signal, int& aspect) const;
    std::string ToText() const override;
};

// OPC_SW_REP with byte 2 bit 6 set (kind 19).
class TLNToFBMessage : public TLocoNetMessage {
public:
    explicit TLNToFBMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    bool GetTurnoutFeedback(int& point, bool& closed) const;
    std::string ToText() const override;
};

// OPC_LOCO_SPD (kind 24).
class TLNLocoSPDMessage : public TLocoNetMessage {
public:
    explicit TLNLocoSPDMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    bool GetLocoSpeed(int& slot, int& speed) const;
    std::string ToText() const override;
};

// OPC_LOCO_DIRF (kind 23).
class TLNLocoDIRFMessage : public TLocoNetMessage {
public:
    explicit TLNLocoDIRFMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // functions: bit 0 = F0, bits 1..4 = F1..F4.
    bool GetLocoDirection(int& slot, bool& forward, uint8_t& functions) const;
    std::string ToText() const override;
};

// OPC_LOCO_SND (kind 22).
class TLNLocoSNDMessage : public TLocoNetMessage {
public:
    explicit TLNLocoSNDMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // functions: bits 0..3 = F5..F8.
    bool GetLocoSound(int& slot, uint8_t& functions) const;
    std::string ToText() const override;
};

// OPC_LOCO_F9F12 (kind 21).
class TLNLocoF9F12Message : public TLocoNetMessage {
public:
    explicit TLNLocoF9F12Message(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // functions: bits 0..3 = F9..F12.
    bool GetLocoF9F12(int& slot, uint8_t& functions) const;
    std::string ToText() const override;
};

// OPC_MOVE_SLOTS (kind 11).
class TLNMoveSlotMessage : public TLocoNetMessage {
public:
    explicit TLNMoveSlotMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    bool GetMoveSlots(int& source, int& destination) const;
    std::string ToText() const override;
};

// OPC_SLOT_STAT1 (kind 15).
class TLNWriteSlotStat1Message : public TLocoNetMessage {
public:
    explicit TLNWriteSlotStat1Message(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // usage 0..3 (free, common, idle, in use), consist 0..3 (free loco,
    // sub-member, top, mid), decoderType 0..7.
    bool GetSlotStatus(int& slot, int& usage, int& consist, int& decoderType) const;
    std::string ToText() const override;
};

// OPC_LOCO_ADR (kind 7).
class TLNLocoAddrMessage : public TLocoNetMessage {
public:
    explicit TLNLocoAddrMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    bool GetLocoAddress(int& address) const;
    std::string ToText() const override;
};

// OPC_LONG_ACK (kind 16).
class TLNLongACKMessage : public TLocoNetMessage {
public:
    explicit TLNLongACKMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // opcode: byte 1 as received (the acknowledged opcode without bit 7; 0 = fail).
    bool GetLongAck(int& opcode, int& response) const;
    std::string ToText() const override;
};

// What a LocoBuffer reports in answer to OPC_BUSY.
struct TLocoBufferReply {
    int versionMajor = 0;  // D1 high nibble
    int versionMinor = 0;  // D1 low nibble
    int versionBuild = 0;  // D5 high nibble
    int versionPatch = 0;  // D5 low nibble
    uint32_t badFrames = 0;
    uint32_t collisions = 0;
};

// OPC_PEER_XFER, 16 bytes, not in an SV format (kind 37).
class TLNPeerXferMessage : public TLocoNetMessage {
public:
    explicit TLNPeerXferMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // Kind 37 from source 0x50 to destination 0x50/0x01.
    bool IsLocoBufferReply() const;
    // Data byte n (1..8) with its high bit restored; 0 outside 1..8.
    uint8_t PeerData(int n) const;
    bool GetLocoBufferReply(TLocoBufferReply& reply) const;
    std::string ToText() const override;
};
