// The SV-access message: the 16-byte OPC_PEER_XFER message in SV format 2,
// with which the boards' system variables are read and written and boards
// are discovered, identified, renumbered and reconfigured.
//
// Wire layout (byte offsets):
//   0  0xE5 (OPC_PEER_XFER)        8  SV number / vendor id, low 7 bits
//   1  0x10 (length 16)            9  SV number / vendor id high byte, low 7 bits
//   2  source (we always send 0)  10  0x10 | high bits of bytes 11..14
//   3  command; 0x40 = reply      11  D1, low 7 bits
//   4  0x02 (SV format 2)         12  D2
//   5  0x10 | high bits of 6..9   13  D3
//   6  destination, low 7 bits    14  D4
//   7  destination high byte      15  checksum
//
// The family's boards answer with their serial number as destination (a
// discover reply may leave it 0). Boards of other makers built on the common
// open-source LocoNet libraries keep their bus address (the destination of
// their replies, SV 3 and 4) apart from a fixed serial number (D3/D4), and
// split the vendor word into a manufacturer byte (byte 8) and a developer
// byte (byte 9). Matching a reply to its request is the sender's job, never
// this class's.
#pragma once

#include "link/Lnmessage.h"

#include <cstdint>
#include <string>

// What an SV-access message is. Requests are 2..10; each reply is its
// request + 9 (11..19). 1 is never produced.
enum TSvKind : int {
    eSvUnknown = 0,
    eSvWrite1 = 2,
    eSvRead1 = 3,
    eSvMaskedWrite = 4,
    eSvWrite4 = 5,
    eSvRead4 = 6,
    eSvDiscover = 7,
    eSvIdentify = 8,
    eSvChangeAddress = 9,
    eSvReconfigure = 10,
    eSvWrite1Reply = 11,
    eSvRead1Reply = 12,
    eSvMaskedWriteReply = 13,
    eSvWrite4Reply = 14,
    eSvRead4Reply = 15,
    eSvDiscoverReply = 16,
    eSvIdentifyReply = 17,
    eSvChangeAddressReply = 18,
    eSvReconfigureReply = 19,
};

constexpr int kSvKindCount = 20;  // kinds 0..19

// Command codes on the wire (byte 3); a board's reply has kSvReplyBit added.
enum : uint8_t {
    kSvCmdWrite1 = 0x01,
    kSvCmdRead1 = 0x02,
    kSvCmdMaskedWrite = 0x03,
    kSvCmdWrite4 = 0x05,
    kSvCmdRead4 = 0x06,
    kSvCmdDiscover = 0x07,
    kSvCmdIdentify = 0x08,
    kSvCmdChangeAddress = 0x09,
    kSvCmdReconfigure = 0x0F,
    kSvReplyBit = 0x40,
};

// The text of a kind ("SV Access: Write 1 Byte"); the unknown text outside 2..19.
const char* SvKindText(int kind);

// Fields of the parsers. Words are the full 16-bit values, bytes the full
// 8-bit values (high bits already folded back in).
struct TSvAccessFields {        // kinds 2, 3, 11, 12
    uint8_t source = 0;         // byte 2 as it stands
    uint16_t destination = 0;   // payload word 2
    uint16_t sv = 0;            // payload word 3
    uint8_t data = 0;           // payload byte 0
};

struct TSvMaskedAccessFields {  // kinds 4, 13
    uint8_t source = 0;
    uint16_t destination = 0;
    uint16_t sv = 0;
    uint8_t data = 0;           // payload byte 0
    uint8_t mask = 0;           // payload byte 1
};

struct TSvAccess4Fields {       // kinds 5, 6, 14, 15
    uint8_t source = 0;
    uint16_t destination = 0;
    uint16_t sv = 0;            // first of the four SVs
    uint8_t data[4] = {0, 0, 0, 0};  // payload bytes 0..3 (D1..D4)
};

struct TSvIdentityFields {      // kinds 7, 8, 16, 17
    uint8_t source = 0;
    uint16_t vendor = 0;        // payload word 3
    uint16_t device = 0;        // payload word 0
    uint16_t serial = 0;        // payload word 1
};

struct TSvAddressChangeFields { // kinds 9, 18
    uint8_t source = 0;
    uint16_t vendor = 0;
    uint16_t device = 0;
    uint16_t serial = 0;
    uint16_t newAddress = 0;    // payload word 2
};

struct TSvReconfigureFields {   // kinds 10, 19
    uint8_t source = 0;
    uint16_t destination = 0;   // payload word 2
};

class TLNSVProgMessage : public TLocoNetMessage {
public:
    TLNSVProgMessage() = default;  // empty, to be filled by a builder
    // A copy of a received message: same capacity, length and bytes.
    explicit TLNSVProgMessage(const TLocoNetMessage& received) : TLocoNetMessage(received) {}

    // Builders: each empties the message and makes a complete 16-byte message
    // with its checksum. src is stored as its low 7 bits, addresses, SV
    // numbers and ids as their low 16 bits, data as their low 8 bits.
    void MakeSvWrite1(int src, int dst, int sv, int data);
    void MakeSvRead1(int src, int dst, int sv);
    void MakeSvWrite4(int src, int dst, int sv, int d1, int d2, int d3, int d4);
    void MakeSvRead4(int src, int dst, int sv);
    void MakeSvDiscover(int src);
    // What a board sends in answer to a discover (used by simulated boards).
    void MakeSvDiscoverReply(int src, int vendor, int device, int serial);
    void MakeSvIdentify(int src, int dst);
    void MakeSvChangeAddress(int src, int vendor, int device, int serial, int newAddress);
    void MakeSvReconfigure(int src, int dst);

    // Classification: 0 unless bytes 0, 1 and 4 are E5, 10 and 02; then the
    // command's low nibble gives the request kind, and bit 6 makes it a reply.
    int SvKind() const;

    // Payload byte i (0..7) with its high bit restored: 0..3 are bytes 11..14
    // (high bits in byte 10), 4..7 are bytes 6..9 (high bits in byte 5).
    // 0 outside 0..7.
    uint8_t SvPayloadByte(int i) const;
    // Payload word n (0..3): byte 2n + 256 * byte 2n+1.
    // 0 device id / data 1-2, 1 serial / data 3-4, 2 destination / new
    // address, 3 SV number / vendor id. 0 outside 0..3.
    uint16_t SvPayloadWord(int n) const;

    // Parsers: they do not check the kind; check SvKind first.
    TSvAccessFields GetSvAccess() const;
    TSvMaskedAccessFields GetSvMaskedAccess() const;
    TSvAccess4Fields GetSvAccess4() const;
    TSvIdentityFields GetSvIdentity() const;
    TSvAddressChangeFields GetSvAddressChange() const;
    TSvReconfigureFields GetSvReconfigure() const;

    // Of a discover or identify reply (kinds 16, 17): true when the
    // destination is set and differs from the serial number, i.e. the board
    // keeps its bus address apart from its serial number.
    bool SvHasSeparateAddress() const;
    // The bus address such a reply speaks for: the destination when the
    // board keeps it apart, else the serial number.
    uint16_t SvReplyAddress() const;
    // The two halves of the vendor word (payload bytes 6 and 7).
    uint8_t SvManufacturer() const { return SvPayloadByte(6); }
    uint8_t SvDeveloper() const { return SvPayloadByte(7); }

    // The kind's text followed by the fields of its group, e.g.
    // "SV Access: Write 1 Byte Dst=1234 Addr=0005 data=0A".
    std::string ToText() const override;

private:
    // Template, source, command, the four 16-bit words, folding, checksum.
    void Build(int src, uint8_t command, int word6, int word8, int word11, int word13);
};
