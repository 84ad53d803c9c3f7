#include "boards/vela/Trevrunzone.h"

#include "boards/vela/Extdevtable.h"
#include "boards/vela/Velasv.h"

#include <algorithm>

namespace {

constexpr int kMinFields = 18;
// Offsets of the four sets inside the zone's 25 bytes.
constexpr int kOffWestEast = 0;
constexpr int kOffEastWest = 8;
constexpr int kOffFreeze = 16;
constexpr int kOffShunt = 22;

}  // namespace

TRevRunZone::TRevRunZone()
{
    SetQuoteTexts(true);
}

std::string TRevRunZone::Letter() const
{
    if (number_ < 1 || number_ > kZonesPerBoard)
        return "";
    return std::string(1, char('A' + number_ - 1));
}

std::string TRevRunZone::ListText() const
{
    return Letter() + "\t" + name_;
}

void TRevRunZone::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "Zone_" + std::to_string(number_));
    SetTextField(2, name_);
    SetTextField(3, description_);
    WriteLine(out, kMinFields);
    westEastSet_.WriteRecord(out);
    eastWestSet_.WriteRecord(out);
    freezeSet_.WriteRecord(out);
    shuntSet_.WriteRecord(out);
}

void TRevRunZone::ReadRecord(std::istream& in)
{
    ReadLine(in);
    name_ = GetTextField(2);
    description_ = GetTextField(3);
    westEastSet_.ReadRecord(in);
    eastWestSet_.ReadRecord(in);
    freezeSet_.ReadRecord(in);
    shuntSet_.ReadRecord(in);
}

bool TRevRunZone::CollectDevices(TExtDevTable& table) const
{
    bool ok = westEastSet_.CollectDevices(table);
    ok = eastWestSet_.CollectDevices(table) && ok;
    ok = freezeSet_.CollectDevices(table) && ok;
    ok = shuntSet_.CollectDevices(table) && ok;
    return ok;
}

bool TRevRunZone::Encode(TSvWriter whole, const TExtDevTable& table) const
{
    if (number_ < 1 || number_ > kZonesPerBoard)
        return false;
    const TSvWriter image = whole.Within("zone " + Letter());
    const int record = kFirstRecordSv + kRecordBytes * (number_ - 1);
    bool ok = westEastSet_.Encode(
        vela::SvRange(image, record + kOffWestEast, westEastSet_.Capacity(), "west - east"), table);
    ok = eastWestSet_.Encode(vela::SvRange(image, record + kOffEastWest, eastWestSet_.Capacity(), "east - west"),
                             table) && ok;
    ok = freezeSet_.Encode(vela::SvRange(image, record + kOffFreeze, freezeSet_.Capacity(), "freeze from changing"),
                           table) && ok;
    ok = shuntSet_.Encode(vela::SvRange(image, record + kOffShunt, shuntSet_.Capacity(), "shunt mode"), table) && ok;
    return ok;
}

bool TRevRunZone::Decode(std::span<const uint8_t> image, const TExtDevTable& table)
{
    if (number_ < 1 || number_ > kZonesPerBoard)
        return false;
    const int record = kFirstRecordSv + kRecordBytes * (number_ - 1);
    bool ok = westEastSet_.Decode(vela::SvRange(image, record + kOffWestEast, westEastSet_.Capacity()), table);
    ok = eastWestSet_.Decode(vela::SvRange(image, record + kOffEastWest, eastWestSet_.Capacity()), table) && ok;
    ok = freezeSet_.Decode(vela::SvRange(image, record + kOffFreeze, freezeSet_.Capacity()), table) && ok;
    ok = shuntSet_.Decode(vela::SvRange(image, record + kOffShunt, shuntSet_.Capacity()), table) && ok;
    return ok;
}

void TRevRunZone::Report(std::vector<std::string>& lines) const
{
    lines.push_back("     Zone: " + Letter());
    lines.push_back("     Zone Name: " + name_);
    lines.push_back("     West - East Settings:");
    westEastSet_.Report(lines);
    lines.push_back("     East - West Settings:");
    eastWestSet_.Report(lines);
    lines.push_back("     Freeze from changing Settings:");
    freezeSet_.Report(lines);
    lines.push_back("     Shunt Mode Settings:");
    shuntSet_.Report(lines);
    lines.push_back("");
}
