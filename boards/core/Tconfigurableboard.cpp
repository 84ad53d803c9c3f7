#include "boards/core/Tconfigurableboard.h"

#include "boards/core/Atomicfile.h"

#include <algorithm>
#include <iterator>
#include <ostream>

namespace {

// The ids each board type answers an identify request with.
struct TIdentityRow {
    bool acceptsVendor1;  // every type accepts vendor 46; most also vendor 1
    int32_t deviceIds[3];  // unused places 0, never a device id
};

const TIdentityRow kIdentities[kBoardTypeCount] = {
    {true, {1}},        // VELA40
    {true, {2, 3, 4}},  // ORT50
    {true, {5}},        // VELA80
    {true, {6}},        // MUV7
    {true, {7}},        // PAX60
    {true, {9}},        // TEL90
    {false, {10}},      // PAX66
};

constexpr int32_t kVendorOwn = 46;
constexpr int32_t kVendorGeneric = 1;

}  // namespace

TConfigurableBoard::TConfigurableBoard(unsigned svLength) : image_(svLength, 0)
{
    SetQuoteTexts(true);
}

TConfigurableBoard::TConfigurableBoard(const TConfigurableBoard& other)
    : TCsvIo(),
      name_(other.name_),
      serialNumber_(other.serialNumber_),
      softwareVersion_(other.softwareVersion_),
      image_(other.image_)
{
    SetQuoteTexts(true);
}

TConfigurableBoard& TConfigurableBoard::operator=(const TConfigurableBoard& other)
{
    if (this != &other) {
        name_ = other.name_;
        serialNumber_ = other.serialNumber_;
        softwareVersion_ = other.softwareVersion_;
        image_ = other.image_;
        SetQuoteTexts(true);
    }
    return *this;
}

TConfigurableBoard::~TConfigurableBoard() = default;

bool TConfigurableBoard::ComputeSvImage()
{
    std::fill(image_.begin(), image_.end(), 0);
    ImageWriter(image_).PutSv(3, static_cast<uint8_t>(serialNumber_ & 0xFF), "serial number, low byte");
    ImageWriter(image_).PutSv(4, static_cast<uint8_t>((serialNumber_ >> 8) & 0xFF), "serial number, high byte");
    return true;
}

std::vector<std::string> TConfigurableBoard::NameSvImage(bool* ok)
{
    std::vector<std::string> names(image_.size());
    struct TStopNaming {
        std::vector<std::string>*& sink;
        ~TStopNaming() { sink = nullptr; }
    } stop{svNames_};
    svNames_ = &names;
    const bool computed = ComputeSvImage();
    svNames_ = nullptr;
    for (std::string& name : names) {
        if (name.empty())
            name = kUnusedSvName;
    }
    if (ok)
        *ok = computed;
    return names;
}

bool TConfigurableBoard::DecodeSvImage()
{
    serialNumber_ = SvByte(3) + 256 * SvByte(4);
    return true;
}

bool TConfigurableBoard::WriteSvListing(const std::string& fileName)
{
    return WriteFileAtomically(
        fileName, [this](std::ostream& out) { WriteSvListingTo(out); }, listingError_);
}

void TConfigurableBoard::DescribeSettings(std::vector<std::string>& lines) const
{
    lines.push_back("Board Type: " + BoardTypeName());
    if (IsSerialValid())
        lines.push_back("Serial number: " + std::to_string(serialNumber_));
    else
        lines.push_back("Serial number: not set yet");
    lines.push_back("Board name: " + name_);
}

bool TConfigurableBoard::IsSerialValid() const
{
    // Two bytes on the bus (SV 3 and 4, the destination of every SV access):
    // 65536 would be written as 0 and programming would talk to address 0.
    return serialNumber_ >= 1 && serialNumber_ <= 65535;
}

uint8_t TConfigurableBoard::SvByte(unsigned sv) const
{
    if (sv < 1 || sv > image_.size())
        return 0;
    return image_[sv - 1];
}

void TConfigurableBoard::SetSvByte(unsigned sv, uint8_t value)
{
    if (sv < 1 || sv > image_.size())
        return;
    image_[sv - 1] = value;
}

uint16_t TConfigurableBoard::SvWord(unsigned sv) const
{
    return static_cast<uint16_t>(SvByte(sv) | (SvByte(sv + 1) << 8));
}

void TConfigurableBoard::SetSvWord(unsigned sv, uint16_t value)
{
    SetSvByte(sv, static_cast<uint8_t>(value & 0xFF));
    SetSvByte(sv + 1, static_cast<uint8_t>(value >> 8));
}

bool TConfigurableBoard::IsTransferable(unsigned sv) const
{
    const std::vector<unsigned> system = SystemSvList();
    if (std::find(system.begin(), system.end(), sv) != system.end())
        return false;
    const std::vector<unsigned> unused = UnusedSvList();
    return std::find(unused.begin(), unused.end(), sv) == unused.end();
}

unsigned TConfigurableBoard::NextSvBlock(unsigned sv, unsigned& blockSize) const
{
    const unsigned length = SvLength();
    unsigned next = sv == 0 ? 5 : sv + blockSize;
    blockSize = 0;
    while (next <= length && !IsTransferable(next))
        ++next;
    if (next > length)
        return next;
    blockSize = 4;
    for (unsigned k = 1; k <= 3; ++k) {
        // The last SV never ends a block of four: each must be below the length.
        if (!(next + k < length && IsTransferable(next + k))) {
            blockSize = 1;
            break;
        }
    }
    return next;
}

void TConfigurableBoard::WriteSvListingTo(std::ostream& out) const
{
    // The model's lists are built once for the whole listing, not once per SV.
    std::vector<bool> transferable(SvLength() + 1, true);
    for (const std::vector<unsigned>& list : {SystemSvList(), UnusedSvList()})
        for (unsigned sv : list)
            if (sv < transferable.size())
                transferable[sv] = false;
    out << "Board name = " << name_ << "\r\n";
    out << "SV Settings:\r\n";
    int entries = 0;
    for (unsigned sv = 1; sv <= SvLength(); ++sv) {
        if (!transferable[sv])
            continue;
        out << "SV" << sv << "=" << static_cast<unsigned>(SvByte(sv)) << ";  ";
        if (++entries % 8 == 0)
            out << "\r\n";
    }
    out.flush();
}

std::string TConfigurableBoard::ListLine() const
{
    std::string line = IsSerialValid() ? std::to_string(serialNumber_) : std::string("not set yet");
    line += '\t';
    line += BoardTypeName();
    line += '\t';
    line += ' ';
    line += name_;
    return line;
}

bool TConfigurableBoard::IdentityAccepted(uint8_t boardType, int32_t vendorId, int32_t deviceId)
{
    if (boardType >= kBoardTypeCount)
        return false;
    const TIdentityRow& row = kIdentities[boardType];
    if (vendorId != kVendorOwn && !(row.acceptsVendor1 && vendorId == kVendorGeneric))
        return false;
    return deviceId != 0 && std::find(std::begin(row.deviceIds), std::end(row.deviceIds), deviceId) != std::end(row.deviceIds);
}

bool TConfigurableBoard::MatchesIdentityOf(uint8_t boardType, int32_t vendorId, int32_t deviceId,
                                           int32_t serialNumber) const
{
    return IdentityAccepted(boardType, vendorId, deviceId) && serialNumber == serialNumber_;
}
