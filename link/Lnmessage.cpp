#include "link/Lnmessage.h"

#include <cstring>

namespace {

struct KindRow {
    uint8_t opcode;
    uint8_t length;
    int kind;
};

// Opcode and length select the kind; 0xB1 and 16-byte 0xE5 need a byte test on top.
constexpr KindRow kKindTable[] = {
    {0x85, 2, eOPCIDLE},       {0x83, 2, eOPCGPON},        {0x82, 2, eOPCGPOFF},
    {0x81, 2, eOPCBUSY},       {0x88, 2, eOPCMASTERLIM},   {0x89, 2, eOPCMASTERNORM},
    {0xBF, 4, eOPCLOCOADR},    {0xBD, 4, eOPCSWACK},       {0xBC, 4, eOPCSWSTATE},
    {0xBB, 4, eOPCRQSLDATA},   {0xBA, 4, eOPCMOVESLOTS},   {0xB9, 4, eOPCLINKSLOTS},
    {0xB8, 4, eOPCUNLINKSLOTS},{0xB6, 4, eOPCCONSISTFUNC}, {0xB5, 4, eOPCSLOTSTAT1},
    {0xB4, 4, eOPCLONGACK},    {0xB2, 4, eOPCSENS},        {0xB1, 4, eOPCOPSTATE},
    {0xB0, 4, eOPCSWREQ},      {0xA3, 4, eOPCLOCOF9F12},   {0xA2, 4, eOPCLOCOSND},
    {0xA1, 4, eOPCLOCODIRF},   {0xA0, 4, eOPCLOCOSPD},     {0xD1, 6, eOPCSPDLIMSLOT},
    {0xD0, 6, eOPCMULTISENSE}, {0xDF, 6, eOPCAUXWR},       {0xD7, 6, eOPCAUXRD},
    {0xEF, 14, eOPCWRSLDATA},  {0xE7, 14, eOPCSLRDDATA},   {0xEE, 15, eOPCWRLIMDATA},
    {0xEE, 16, eOPCALMWRACCESS},{0xE6, 15, eOPCRDLIMDATA}, {0xE6, 16, eOPCALMRDACCESS},
    {0xE5, 16, eOPCPEERXFER},  {0xE5, 17, eOPCPEERLXFER},  {0xE4, 12, eOPCSELONG},
    {0xE4, 9, eOPCSE},         {0xE5, 10, eOPCTHROTSTAT},  {0xE5, 9, eOPCFIND},
    {0xED, 11, eOPCIMMPACKET}, {0xED, 15, eOPCSPCLOEM1},   {0xED, 31, eOPCSPCLOEM2},
};

constexpr const char* kKindNames[kLnMessageKindCount] = {
    "Unknown:",          "OPC_IDLE:",          "OPC_GPON:",        "OPC_GPOFF:",
    "OPC_BUSY:",         "OPC_MASTERLIM:",     "OPC_MASTERNORM:",  "OPC_LOCOADR:",
    "OPC_SWACK:",        "OPC_SWSTATE:",       "OPC_RQSLDATA:",    "OPC_MOVESLOTS:",
    "OPC_LINKSLOTS:",    "OPC_UNLINKSLOTS:",   "OPC_CONSISTFUNC:", "OPC_SLOTSTAT1:",
    "OPC_LONGACK:",      "OPC_SENSORREP:",     "OPC_OPSTATE:",     "OPC_TOFB:",
    "OPC_SWREQ:",        "OPC_LOCOF912:",      "OPC_LOCOSND:",     "OPC_LOCODIRF:",
    "OPC_LOCOSPD:",      "OPC_SPDLIMSLOT:",    "OPC_MULTISENSE:",  "OPC_AUXWR:",
    "OPC_AUXRD:",        "OPC_WRSLDATA:",      "OPC_SLRDDATA:",    "OPC_WRLIMDATA:",
    "OPC_ALMWRACCESS:",  "OPC_RDLIMDATA:",     "OPC_ALMRDACCESS:", "OPC_SVACCESS Type 1:",
    "OPC_SVACCESS Type 2:", "OPC_PEERXFER:",   "OPC_PEERLXFER:",   "OPC_SELONG:",
    "OPC_SE:",           "OPC_THROTSTAT:",     "OPC_FIND:",        "OPC_IMMPACKET:",
    "OPC_SPCLOEM1:",     "OPC_SPCLOEM2:",
};

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads one number the way the C library's base-16 unsigned conversion does:
// leading white space, an optional sign, an optional 0x prefix, then digits.
// The value saturates at 32 bits as the conversion does on overflow; a minus
// sign negates it. Returns false when no digit was read (pos unchanged).
bool ReadCHex(std::string_view text, size_t& pos, uint32_t& value)
{
    size_t p = pos;
    while (p < text.size() && IsCSpace(text[p])) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')
        && p + 2 < text.size() && IsHexDigit(text[p + 2])) {
        p += 2;
    }
    if (p >= text.size() || !IsHexDigit(text[p])) return false;
    uint64_t v = 0;
    bool overflow = false;
    while (p < text.size() && IsHexDigit(text[p])) {
        v = v * 16 + static_cast<uint64_t>(HexValue(text[p]));
        if (v > 0xFFFFFFFFull) overflow = true;
        if (overflow) v = 0xFFFFFFFFull;
        ++p;
    }
    uint32_t result = static_cast<uint32_t>(v);
    if (negative && !overflow) result = static_cast<uint32_t>(0u - result);
    value = result;
    pos = p;
    return true;
}

}  // namespace

const char* LnKindName(int kind)
{
    if (kind < 0 || kind >= kLnMessageKindCount) return kKindNames[0];
    return kKindNames[kind];
}

TLocoNetMessage::TLocoNetMessage() : buffer_(new uint8_t[16]), capacity_(16), length_(0) {}

TLocoNetMessage::TLocoNetMessage(const uint8_t* bytes, uint32_t count)
    : buffer_(count ? new uint8_t[count] : nullptr), capacity_(count), length_(count)
{
    if (count) std::memcpy(buffer_.get(), bytes, count);
}

TLocoNetMessage::TLocoNetMessage(std::string_view text)
{
    std::string bytes;
    if (!ParseHexText(text, bytes) || bytes.empty()) return;
    capacity_ = length_ = static_cast<uint32_t>(bytes.size());
    buffer_.reset(new uint8_t[capacity_]);
    std::memcpy(buffer_.get(), bytes.data(), capacity_);
}

TLocoNetMessage::TLocoNetMessage(const TLocoNetMessage& other)
    : buffer_(other.capacity_ ? new uint8_t[other.capacity_] : nullptr),
      capacity_(other.capacity_), length_(other.length_)
{
    if (length_) std::memcpy(buffer_.get(), other.buffer_.get(), length_);
}

TLocoNetMessage& TLocoNetMessage::operator=(const TLocoNetMessage& other)
{
    if (this == &other) return *this;
    std::unique_ptr<uint8_t[]> copy(other.capacity_ ? new uint8_t[other.capacity_] : nullptr);
    if (other.length_) std::memcpy(copy.get(), other.buffer_.get(), other.length_);
    buffer_ = std::move(copy);
    capacity_ = other.capacity_;
    length_ = other.length_;
    return *this;
}

TLocoNetMessage::~TLocoNetMessage() = default;

void TLocoNetMessage::AppendByte(uint8_t value)
{
    if (length_ == capacity_) {
        uint32_t grown = capacity_ ? capacity_ * 2 : 1;
        std::unique_ptr<uint8_t[]> bigger(new uint8_t[grown]);
        if (length_) std::memcpy(bigger.get(), buffer_.get(), length_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    buffer_[length_++] = value;
}

uint8_t TLocoNetMessage::Checksum(const uint8_t* bytes, uint32_t count)
{
    uint8_t c = 0xFF;
    for (uint32_t i = 0; i < count; ++i) c ^= bytes[i];
    return c;
}

void TLocoNetMessage::AppendChecksum()
{
    AppendByte(Checksum(buffer_.get(), length_));
}

void TLocoNetMessage::Clear()
{
    length_ = 0;
}

uint8_t TLocoNetMessage::ByteAt(uint32_t index) const
{
    return index < length_ ? buffer_[index] : 0;
}

bool TLocoNetMessage::ChecksumOk() const
{
    uint8_t x = 0;
    for (uint32_t i = 0; i < length_; ++i) x ^= buffer_[i];
    return x == 0xFF;
}

bool TLocoNetMessage::IsValid() const
{
    if (length_ < 2) return false;
    uint32_t expected = ((buffer_[0] & 0x60u) >> 4) + 2;
    if (expected == 8) expected = buffer_[1];
    return length_ == expected && ChecksumOk();
}

int LnKindFromName(std::string_view name)
{
    if (!name.empty() && name.back() == ':')
        name.remove_suffix(1);
    auto fold = [](char c) {
        if (c == '_') return ' ';
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    for (int kind = 0; kind < kLnMessageKindCount; ++kind) {
        std::string_view known = kKindNames[kind];
        known.remove_suffix(1);  // the colon
        if (known.size() != name.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = fold(name[i]) == fold(known[i]);
        if (same)
            return kind;
    }
    return -1;
}

int TLocoNetMessage::MessageKind() const
{
    if (!IsValid()) return eUnknown;
    const uint8_t op = buffer_[0];
    for (const KindRow& row : kKindTable) {
        if (row.opcode != op || row.length != length_) continue;
        if (op == 0xB1) return (buffer_[2] & 0x40) ? eOPCTOFB : eOPCOPSTATE;
        if (op == 0xE5 && length_ == 16) {
            const uint8_t b4 = buffer_[4], b5 = buffer_[5], b10 = buffer_[10];
            if ((b10 & 0xF0) != 0x10) return eOPCPEERXFER;
            if ((b5 & 0xF0) == 0x00 && b4 == 1) return eOPCSVACCESS1;
            if ((b5 & 0xF0) == 0x10 && b4 == 2) return eOPCSVACCESS2;
            return eOPCPEERXFER;
        }
        return row.kind;
    }
    return eUnknown;
}

std::string TLocoNetMessage::KindName() const
{
    return LnKindName(MessageKind());
}

std::string TLocoNetMessage::HexText() const
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(length_ * 3);
    for (uint32_t i = 0; i < length_; ++i) {
        text += kDigits[buffer_[i] >> 4];
        text += kDigits[buffer_[i] & 0x0F];
        text += ' ';
    }
    return text;
}

std::string TLocoNetMessage::RawText() const
{
    return KindName() + HexText();
}

std::string TLocoNetMessage::ToText() const
{
    return RawText();
}

bool TLocoNetMessage::ParseHexText(std::string_view text, std::string& bytes)
{
    std::string reason;
    return ParseHexText(text, bytes, reason);
}

bool TLocoNetMessage::ParseHexText(std::string_view text, std::string& bytes, std::string& reason)
{
    const auto reject = [&bytes, &reason](std::string why) {
        bytes.clear();
        reason = std::move(why);
        return false;
    };
    bytes.clear();
    reason.clear();
    if (text.empty()) return true;
    size_t pos = 0;
    for (;;) {
        bool anyDigit = false;
        for (size_t i = pos; i < text.size(); ++i) {
            if (IsHexDigit(text[i])) { anyDigit = true; break; }
        }
        if (!anyDigit) break;
        uint32_t value = 0;
        size_t start = pos;
        while (start < text.size() && IsCSpace(text[start])) ++start;
        if (!ReadCHex(text, pos, value))
            return reject("no hexadecimal number at column " + std::to_string(start + 1));
        bytes.push_back(static_cast<char>(value & 0xFF));
        if (pos >= text.size()) break;
        if (text[pos] != ' ')
            return reject("unexpected character at column " + std::to_string(pos + 1) + " after a number");
    }
    if (bytes.size() < 2) return reject("fewer than 2 bytes");
    return true;
}
