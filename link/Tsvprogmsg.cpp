#include "link/Tsvprogmsg.h"

#include <cstdio>

namespace {

constexpr const char* kSvKindTexts[kSvKindCount] = {
    "SV Access: Unknown or improper format",
    "SV Access: Unknown or improper format",  // 1 is never a kind
    "SV Access: Write 1 Byte",
    "SV Access: Read 1 Byte",
    "SV Access: Masked Write",
    "SV Access: Write 4 Bytes",
    "SV Access: Read 4 Bytes",
    "SV Access: Discover",
    "SV Access: Identify",
    "SV Access: ChangeAddress",
    "SV Access: Reconfigure",
    "SV Access: Write 1 Byte Reply",
    "SV Access: Read 1 Byte Reply",
    "SV Access: Masked Write Reply",
    "SV Access: Write 4 Bytes Reply",
    "SV Access: Read 4 Bytes Reply",
    "SV Access: Discover Reply",
    "SV Access: Identify Reply",
    "SV Access: Change Address Reply",
    "SV Access: Reconfigure Reply",
};

// Request kind by the command's low nibble; 0 where no command exists.
constexpr int kRequestKindByNibble[16] = {
    eSvUnknown, eSvWrite1, eSvRead1, eSvMaskedWrite, eSvUnknown, eSvWrite4, eSvRead4, eSvDiscover,
    eSvIdentify, eSvChangeAddress, eSvUnknown, eSvUnknown, eSvUnknown, eSvUnknown, eSvUnknown,
    eSvReconfigure,
};

constexpr int kReplyOffset = eSvWrite1Reply - eSvWrite1;

constexpr uint8_t kTemplate[15] = {0xE5, 0x10, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00,
                                   0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00};

std::string Hex(unsigned value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

}  // namespace

const char* SvKindText(int kind)
{
    if (kind < 0 || kind >= kSvKindCount) return kSvKindTexts[0];
    return kSvKindTexts[kind];
}

void TLNSVProgMessage::Build(int src, uint8_t command, int word6, int word8, int word11, int word13)
{
    uint8_t b[15];
    for (int i = 0; i < 15; ++i) b[i] = kTemplate[i];
    b[2] = static_cast<uint8_t>(src & 0x7F);  // a data byte: bit 7 must stay clear
    b[3] = command;
    const auto put = [&b](int at, int word) {
        b[at] = static_cast<uint8_t>(word & 0xFF);
        b[at + 1] = static_cast<uint8_t>((word >> 8) & 0xFF);
    };
    put(6, word6);
    put(8, word8);
    put(11, word11);
    put(13, word13);
    // Data bytes on LocoNet must have bit 7 clear; it travels in bytes 5 and 10.
    for (int i = 0; i < 4; ++i) {
        if (b[6 + i] & 0x80) {
            b[6 + i] &= 0x7F;
            b[5] |= static_cast<uint8_t>(1u << i);
        }
        if (b[11 + i] & 0x80) {
            b[11 + i] &= 0x7F;
            b[10] |= static_cast<uint8_t>(1u << i);
        }
    }
    Clear();
    for (uint8_t byte : b) AppendByte(byte);
    AppendChecksum();
}

void TLNSVProgMessage::MakeSvWrite1(int src, int dst, int sv, int data)
{
    Build(src, kSvCmdWrite1, dst, sv, data & 0xFF, 0);
}

void TLNSVProgMessage::MakeSvRead1(int src, int dst, int sv)
{
    Build(src, kSvCmdRead1, dst, sv, 0, 0);
}

void TLNSVProgMessage::MakeSvWrite4(int src, int dst, int sv, int d1, int d2, int d3, int d4)
{
    Build(src, kSvCmdWrite4, dst, sv, (d1 & 0xFF) | (d2 & 0xFF) << 8, (d3 & 0xFF) | (d4 & 0xFF) << 8);
}

void TLNSVProgMessage::MakeSvRead4(int src, int dst, int sv)
{
    Build(src, kSvCmdRead4, dst, sv, 0, 0);
}

void TLNSVProgMessage::MakeSvDiscover(int src)
{
    Build(src, kSvCmdDiscover, 0, 0, 0, 0);
}

void TLNSVProgMessage::MakeSvDiscoverReply(int src, int vendor, int device, int serial)
{
    Build(src, kSvCmdDiscover | kSvReplyBit, 0, vendor, device, serial);
}

void TLNSVProgMessage::MakeSvIdentify(int src, int dst)
{
    Build(src, kSvCmdIdentify, dst, 0, 0, 0);
}

void TLNSVProgMessage::MakeSvChangeAddress(int src, int vendor, int device, int serial, int newAddress)
{
    Build(src, kSvCmdChangeAddress, newAddress, vendor, device, serial);
}

void TLNSVProgMessage::MakeSvReconfigure(int src, int dst)
{
    Build(src, kSvCmdReconfigure, dst, 0, 0, 0);
}

int TLNSVProgMessage::SvKind() const
{
    if (ByteAt(0) != 0xE5 || ByteAt(1) != 0x10 || ByteAt(4) != 0x02) return eSvUnknown;
    const uint8_t command = ByteAt(3);
    const int kind = kRequestKindByNibble[command & 0x0F];
    if (kind != eSvUnknown && (command & kSvReplyBit)) return kind + kReplyOffset;
    return kind;
}

uint8_t TLNSVProgMessage::SvPayloadByte(int i) const
{
    if (i < 0 || i > 7) return 0;
    const uint32_t wire = i < 4 ? 11 + i : 6 + (i - 4);
    const uint8_t high = i < 4 ? ByteAt(10) : ByteAt(5);
    const uint8_t bit = static_cast<uint8_t>(1u << (i & 3));
    return static_cast<uint8_t>(ByteAt(wire) | ((high & bit) ? 0x80 : 0x00));
}

uint16_t TLNSVProgMessage::SvPayloadWord(int n) const
{
    if (n < 0 || n > 3) return 0;
    return static_cast<uint16_t>(SvPayloadByte(2 * n) | SvPayloadByte(2 * n + 1) << 8);
}

bool TLNSVProgMessage::SvHasSeparateAddress() const
{
    const uint16_t destination = SvPayloadWord(2);
    return destination != 0 && destination != SvPayloadWord(1);
}

uint16_t TLNSVProgMessage::SvReplyAddress() const
{
    return SvHasSeparateAddress() ? SvPayloadWord(2) : SvPayloadWord(1);
}

TSvAccessFields TLNSVProgMessage::GetSvAccess() const
{
    TSvAccessFields f;
    f.source = ByteAt(2);
    f.destination = SvPayloadWord(2);
    f.sv = SvPayloadWord(3);
    f.data = SvPayloadByte(0);
    return f;
}

TSvMaskedAccessFields TLNSVProgMessage::GetSvMaskedAccess() const
{
    TSvMaskedAccessFields f;
    f.source = ByteAt(2);
    f.destination = SvPayloadWord(2);
    f.sv = SvPayloadWord(3);
    f.data = SvPayloadByte(0);
    f.mask = SvPayloadByte(1);
    return f;
}

TSvAccess4Fields TLNSVProgMessage::GetSvAccess4() const
{
    TSvAccess4Fields f;
    f.source = ByteAt(2);
    f.destination = SvPayloadWord(2);
    f.sv = SvPayloadWord(3);
    for (int i = 0; i < 4; ++i) f.data[i] = SvPayloadByte(i);
    return f;
}

TSvIdentityFields TLNSVProgMessage::GetSvIdentity() const
{
    TSvIdentityFields f;
    f.source = ByteAt(2);
    f.vendor = SvPayloadWord(3);
    f.device = SvPayloadWord(0);
    f.serial = SvPayloadWord(1);
    return f;
}

TSvAddressChangeFields TLNSVProgMessage::GetSvAddressChange() const
{
    TSvAddressChangeFields f;
    f.source = ByteAt(2);
    f.vendor = SvPayloadWord(3);
    f.device = SvPayloadWord(0);
    f.serial = SvPayloadWord(1);
    f.newAddress = SvPayloadWord(2);
    return f;
}

TSvReconfigureFields TLNSVProgMessage::GetSvReconfigure() const
{
    TSvReconfigureFields f;
    f.source = ByteAt(2);
    f.destination = SvPayloadWord(2);
    return f;
}

std::string TLNSVProgMessage::ToText() const
{
    const int kind = SvKind();
    std::string text = SvKindText(kind);
    switch (kind) {
    case eSvWrite1:
    case eSvRead1:
    case eSvWrite1Reply:
    case eSvRead1Reply:
    case eSvMaskedWrite:
    case eSvMaskedWriteReply: {
        const TSvMaskedAccessFields f = GetSvMaskedAccess();
        text += " Dst=" + std::to_string(f.destination) + " Addr=" + Hex(f.sv, 4) + " data=" + Hex(f.data, 2);
        if (kind == eSvMaskedWrite || kind == eSvMaskedWriteReply) text += " mask=" + Hex(f.mask, 2);
        break;
    }
    case eSvWrite4:
    case eSvRead4:
    case eSvWrite4Reply:
    case eSvRead4Reply: {
        const TSvAccess4Fields f = GetSvAccess4();
        text += " Dst=" + std::to_string(f.destination) + " Addr=" + Hex(f.sv, 4) + " data=" + Hex(f.data[0], 2);
        for (int i = 1; i < 4; ++i) {
            text += ' ';
            text += Hex(f.data[i], 2);
        }
        break;
    }
    case eSvDiscover:
    case eSvIdentify:
    case eSvDiscoverReply:
    case eSvIdentifyReply:
    case eSvChangeAddress:
    case eSvChangeAddressReply: {
        const TSvAddressChangeFields f = GetSvAddressChange();
        text += " VendId=" + std::to_string(f.vendor) + " DevId=" + std::to_string(f.device) +
                " Serial=" + std::to_string(f.serial);
        if (kind == eSvChangeAddress || kind == eSvChangeAddressReply)
            text += " New Adr=" + std::to_string(f.newAddress);
        break;
    }
    case eSvReconfigure:
    case eSvReconfigureReply:
        text += " Dest=" + std::to_string(GetSvReconfigure().destination);
        break;
    default:
        break;
    }
    return text;
}
