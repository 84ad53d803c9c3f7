#include "boards/vela/Tsignal.h"

#include "boards/vela/Extdevtable.h"
#include "boards/vela/Velasv.h"

#include <array>

namespace {

struct THeadTypeRow {
    const char* item;
    const char* reportLine;
};

constexpr std::array<THeadTypeRow, TSignal::kHeadTypes> kHeadTypeRows = {{
    {"4 aspect common cathode", "     4 aspect, common cathode LEDs;"},
    {"4 aspect common anode", "     4 aspect, common anode LEDs;"},
    {"3 aspect common cathode", "     3 aspect, common cathode LEDs;"},
    {"3 aspect common anode", "     3 aspect, common anode LEDs;"},
    {"2 wire searchlight", "     2 wire searchlight signal;"},
    {"3 wire searchlight", "     3 wire searchlight signal;"},
    {"European Distant, com cathode", "     Euro Distant, common cathode LEDs;"},
    {"European Distant, com anode", "     Euro Distant, common anode LEDs;"},
    {"US style 3 aspect, com cathode", "     US 3 aspect, common cathode LEDs;"},
    {"US style 3 aspect, com anode", "     US 3 aspect, common anode LEDs;"},
    {"2 aspect common cathode", "     2 aspect, common cathode LEDs;"},
    {"2 aspect common anode", "     2 aspect, common anode LEDs;"},
    {"US approach lit 3 aspect, com cathode", "     US 3 aspect, approach lit, common cathode LEDs;"},
    {"US approach lit 3 aspect, com anode", "     US 3 aspect, approach lit, common anode LEDs;"},
}};

constexpr std::array<const char*, 7> kRevZoneLinkLines = {
    "     No Reverse Running Zone assigned",        "     Reverse Running Zone A, West to East",
    "     Reverse Running Zone A, East to West",    "     Reverse Running Zone B, West to East",
    "     Reverse Running Zone B, East to West",    "     Reverse Running Zone C, West to East",
    "     Reverse Running Zone C, East to West"};

// The SV codes of the reverse zone links 0..6: the zone number, plus 10 for east to west.
constexpr std::array<uint8_t, 7> kRevZoneCodes = {0, 1, 11, 2, 12, 3, 13};

constexpr int kMinFields = 18;
// Next-signal codes: 1..10 this board's signals, 11..22 table positions 49..60.
constexpr int kOwnSignalCodes = 10;
constexpr int kTablePositionShift = 38;
constexpr int kVirtualShift = 100;

// Offsets inside the 25-byte signal record.
constexpr int kOffRevZone = 0;
constexpr int kOffJunction = 1;
constexpr int kOffNext = 2;
constexpr int kOffNextThrown = 3;   // diverging only
constexpr int kOffBlockSetBlock = 3;
constexpr int kOffRedSetBlock = 6;
constexpr int kOffBlockSetDiverging = 4;
constexpr int kOffRedSetDiverging = 7;
constexpr int kOffBlockThrownSet = 12;
constexpr int kOffRedThrownSet = 15;
constexpr int kOffIsolationSet = 20;
constexpr int kOffAuxSet = 23;

using vela::GetSv;
using vela::PutSv;
using vela::SvRange;

}  // namespace

TSignal::TSignal()
{
    SetQuoteTexts(true);
}

void TSignal::SetType(uint8_t type)
{
    type_ = type != eSignalDiverging ? eSignalBlock : eSignalDiverging;
    blockSet_ = TConditionSet(eCondBlock, &blockSet_);
    if (IsBlock()) {
        redSet_ = TConditionSet(eCondRedNormal, &redSet_);
        blockThrownSet_.reset();
        redThrownSet_.reset();
    } else {
        redSet_ = TConditionSet(eCondRedDiverging, &redSet_);
        blockThrownSet_ = TConditionSet(eCondBlock, BlockThrownSet());
        redThrownSet_ = TConditionSet(eCondRedDiverging, RedThrownSet());
    }
}

void TSignal::Reset()
{
    *this = TSignal();
}

std::string TSignal::ListText() const
{
    return std::to_string(number_) + "\t" + (IsBlock() ? "Block\t" : "Diverging\t") + name_;
}

std::string TSignal::HeadTypeItem(uint8_t code)
{
    return code < kHeadTypeRows.size() ? kHeadTypeRows[code].item : "";
}

std::string TSignal::HeadTypeReportLine(uint8_t code)
{
    return code < kHeadTypeRows.size() ? kHeadTypeRows[code].reportLine : "";
}

bool TSignal::IsOwnSignal(int32_t address) const
{
    return address >= baseAddress_ && address <= baseAddress_ + kSignalsPerBoard - 1;
}

// ---- File record ----

void TSignal::WriteRecord(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "Signal_" + std::to_string(number_));
    SetTextField(2, name_);
    SetIntField(3, type_);
    SetIntField(4, headType_);
    SetIntField(5, junctionPoint_);
    SetIntField(6, transpondingZone_);
    SetIntField(7, revZoneLink_);
    SetIntField(8, nextSignal_);
    SetIntField(9, nextSignalThrown_);
    SetIntField(10, nextMode_);
    SetIntField(11, nextModeThrown_);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(2, description_);
    WriteLine(out, kMinFields);

    blockSet_.WriteRecord(out);
    if (blockThrownSet_)
        blockThrownSet_->WriteRecord(out);
    redSet_.WriteRecord(out);
    if (redThrownSet_)
        redThrownSet_->WriteRecord(out);
    auxSet_.WriteRecord(out);
    isolationSet_.WriteRecord(out);
}

void TSignal::ReadRecord(std::istream& in)
{
    ReadLine(in);
    name_ = GetTextField(2);
    // The type decides how many set lines follow.
    SetType(uint8_t(GetIntField(3)));
    headType_ = uint8_t(GetIntField(4));
    junctionPoint_ = GetIntField(5);
    transpondingZone_ = GetIntField(6);
    revZoneLink_ = uint8_t(GetIntField(7));
    nextSignal_ = GetIntField(8);
    nextSignalThrown_ = GetIntField(9);
    nextMode_ = uint8_t(GetIntField(10));
    nextModeThrown_ = uint8_t(GetIntField(11));

    ReadLine(in);
    description_ = GetTextField(2);

    blockSet_.ReadRecord(in);
    if (blockThrownSet_)
        blockThrownSet_->ReadRecord(in);
    redSet_.ReadRecord(in);
    if (redThrownSet_)
        redThrownSet_->ReadRecord(in);
    auxSet_.ReadRecord(in);
    isolationSet_.ReadRecord(in);
}

// ---- External devices and SVs ----

bool TSignal::CollectNextSignal(int32_t address, uint8_t mode, TExtDevTable& table) const
{
    if (mode > eNextVirtual || address == 0 || IsOwnSignal(address))
        return true;
    return table.Add(TCondition::Signal(address, 0, false));
}

bool TSignal::CollectDevices(TExtDevTable& table) const
{
    bool ok = CollectNextSignal(nextSignal_, nextMode_, table);
    if (!IsBlock()) {
        ok = table.Add(TCondition::Point(junctionPoint_, 0, false)) && ok;
        ok = CollectNextSignal(nextSignalThrown_, nextModeThrown_, table) && ok;
    }
    ok = blockSet_.CollectDevices(table) && ok;
    ok = redSet_.CollectDevices(table) && ok;
    if (blockThrownSet_)
        ok = blockThrownSet_->CollectDevices(table) && ok;
    if (redThrownSet_)
        ok = redThrownSet_->CollectDevices(table) && ok;
    ok = isolationSet_.CollectDevices(table) && ok;
    ok = auxSet_.CollectDevices(table) && ok;
    return ok;
}

uint8_t TSignal::EncodeNextSignal(int32_t number, uint8_t mode, int32_t baseAddress,
                                  const TExtDevTable& table, bool& ok)
{
    ok = true;
    if (mode == eNextAlwaysGreen)
        return 0;
    if (mode == eNextAlwaysRed)
        return 255;
    if (number == 0)
        return 0;
    int code = 0;
    if (number >= baseAddress && number <= baseAddress + kOwnSignalCodes - 1) {
        code = number - baseAddress + 1;
    } else {
        const int position = table.Find(TCondition::Signal(number, 0, false));
        if (position == 0) {
            ok = false;
            return 0;
        }
        code = position - kTablePositionShift;
    }
    if (mode == eNextVirtual)
        code += kVirtualShift;
    return uint8_t(code);
}

bool TSignal::DecodeNextSignal(uint8_t code, int32_t baseAddress, const TExtDevTable& table,
                               int32_t& number, uint8_t& mode)
{
    number = 0;
    if (code == 0) {
        mode = eNextAlwaysGreen;
        return true;
    }
    if (code == 255) {
        mode = eNextAlwaysRed;
        return true;
    }
    int value = code;
    if (value > kVirtualShift) {
        mode = eNextVirtual;
        value -= kVirtualShift;
    } else {
        mode = eNextNormal;
    }
    if (value <= kOwnSignalCodes) {
        number = baseAddress + value - 1;
        return true;
    }
    // 11..22 name table positions 49..60; other codes name nothing: no next signal.
    const TExtDevEntry& entry = table.EntryAt(value + kTablePositionShift);
    if (value + kTablePositionShift > TExtDevTable::kPositions || entry.deviceType != eVelaSignal)
        return false;
    number = entry.number;
    return true;
}

uint8_t TSignal::EncodeRevZoneLink(uint8_t link)
{
    return link < kRevZoneCodes.size() ? kRevZoneCodes[link] : 0;
}

uint8_t TSignal::DecodeRevZoneLink(uint8_t code)
{
    for (size_t link = 1; link < kRevZoneCodes.size(); ++link) {
        if (kRevZoneCodes[link] == code)
            return uint8_t(link);
    }
    return 0;
}

bool TSignal::Encode(TSvWriter whole, const TExtDevTable& table) const
{
    const int n = number_;
    if (n < 1 || n > kSignalsPerBoard)
        return false;
    TSvWriter image = whole.Within("signal " + std::to_string(n));
    PutSv(image, n + 9, headType_, "head type");
    PutSv(image, n + 29, type_, "signal type");
    PutSv(image, 2 * n + 158, uint8_t(transpondingZone_ & 0xFF), "transponding zone, low byte");
    PutSv(image, 2 * n + 159, uint8_t((transpondingZone_ >> 8) & 0xFF), "transponding zone, high byte");

    const int record = kFirstRecordSv + kRecordBytes * (n - 1);
    bool ok = true;
    PutSv(image, record + kOffRevZone, EncodeRevZoneLink(revZoneLink_), "reverse running zone");

    const int junction = table.Find(TCondition::Point(junctionPoint_, 0, false));
    PutSv(image, record + kOffJunction, uint8_t(junction), "junction point");
    if (junction == 0 && !IsBlock())
        ok = false;

    bool encoded = true;
    PutSv(image, record + kOffNext, EncodeNextSignal(nextSignal_, nextMode_, baseAddress_, table, encoded),
          IsBlock() ? "next signal" : "next signal if point is closed");
    ok = ok && encoded;

    auto set = [&](const TConditionSet& s, int offset, std::string_view what) {
        ok = s.Encode(SvRange(image, record + offset, s.Capacity(), what), table) && ok;
    };
    if (IsBlock()) {
        set(blockSet_, kOffBlockSetBlock, "block occupied conditions");
        set(redSet_, kOffRedSetBlock, "force to red conditions");
    } else {
        PutSv(image, record + kOffNextThrown,
              EncodeNextSignal(nextSignalThrown_, nextModeThrown_, baseAddress_, table, encoded),
              "next signal if point is thrown");
        ok = ok && encoded;
        set(blockSet_, kOffBlockSetDiverging, "block occupied conditions when point is closed");
        set(redSet_, kOffRedSetDiverging, "force to red conditions when point is closed");
        set(*blockThrownSet_, kOffBlockThrownSet, "block occupied conditions when point is thrown");
        set(*redThrownSet_, kOffRedThrownSet, "force to red conditions when point is thrown");
    }
    set(isolationSet_, kOffIsolationSet, "isolation zone override conditions");
    set(auxSet_, kOffAuxSet, "auxiliary conditions");
    return ok;
}

bool TSignal::Decode(std::span<const uint8_t> image, const TExtDevTable& table)
{
    const int n = number_;
    if (n < 1 || n > kSignalsPerBoard)
        return false;
    SetType(GetSv(image, n + 29));
    headType_ = GetSv(image, n + 9);
    transpondingZone_ = GetSv(image, 2 * n + 158) + 256 * GetSv(image, 2 * n + 159);

    const int record = kFirstRecordSv + kRecordBytes * (n - 1);
    bool ok = true;
    revZoneLink_ = DecodeRevZoneLink(GetSv(image, record + kOffRevZone));

    const uint8_t junction = GetSv(image, record + kOffJunction);
    if (junction == 0) {
        junctionPoint_ = 0;
    } else if (junction > TExtDevTable::kPositions) {
        junctionPoint_ = 0;  // names no position at all
        ok = false;
    } else if (table.EntryAt(junction).deviceType == eVelaPoint) {
        junctionPoint_ = table.EntryAt(junction).number;
    } else {
        ok = false;
    }

    ok = DecodeNextSignal(GetSv(image, record + kOffNext), baseAddress_, table, nextSignal_, nextMode_) && ok;

    auto set = [&](TConditionSet& s, int offset) {
        ok = s.Decode(SvRange(image, record + offset, s.Capacity()), table) && ok;
    };
    if (IsBlock()) {
        set(blockSet_, kOffBlockSetBlock);
        set(redSet_, kOffRedSetBlock);
    } else {
        ok = DecodeNextSignal(GetSv(image, record + kOffNextThrown), baseAddress_, table, nextSignalThrown_,
                              nextModeThrown_) && ok;
        set(blockSet_, kOffBlockSetDiverging);
        set(redSet_, kOffRedSetDiverging);
        set(*blockThrownSet_, kOffBlockThrownSet);
        set(*redThrownSet_, kOffRedThrownSet);
    }
    set(isolationSet_, kOffIsolationSet);
    set(auxSet_, kOffAuxSet);
    return ok;
}

// ---- Report ----

std::string TSignal::NextSignalText(int32_t address, uint8_t mode) const
{
    switch (mode) {
    case eNextAlwaysGreen: return "is always Green";
    case eNextAlwaysRed: return "is always Red";
    case eNextVirtual: return "signal number " + std::to_string(address) + ", Virtual";
    default: return "signal number " + std::to_string(address) + ", Normal";
    }
}

void TSignal::Report(std::vector<std::string>& lines) const
{
    lines.push_back("     Signal: " + std::to_string(number_));
    if (IsBlock())
        lines.push_back("     Block signal");
    else
        lines.push_back("     Diverging junction signal, controlled by point " + std::to_string(junctionPoint_));
    lines.push_back("     Signal Name: " + name_);
    lines.push_back("     Description: " + description_);
    if (transpondingZone_ != 0)
        lines.push_back("     Transponding Zone: " + std::to_string(transpondingZone_));
    else
        lines.push_back("     No assigned Transponding Zone;");
    lines.push_back(revZoneLink_ < kRevZoneLinkLines.size() ? kRevZoneLinkLines[revZoneLink_]
                                                            : kRevZoneLinkLines[0]);
    const std::string headLine = HeadTypeReportLine(headType_);
    lines.push_back(!headLine.empty() ? headLine : "     Unknown head type " + std::to_string(headType_) + ";");
    lines.push_back(std::string(IsBlock() ? "     Next signal: " : "     Next signal if point is closed: ") +
                    NextSignalText(nextSignal_, nextMode_));
    if (!IsBlock())
        lines.push_back("     Next signal if point is thrown: " + NextSignalText(nextSignalThrown_, nextModeThrown_));
    if (IsBlock()) {
        lines.push_back("     Block occupied conditions:");
        blockSet_.Report(lines);
        lines.push_back("     Force to Red conditions:");
        redSet_.Report(lines);
    } else {
        lines.push_back("     Block occupied conditions when point is closed:");
        blockSet_.Report(lines);
        lines.push_back("     Force to Red conditions when point is closed:");
        redSet_.Report(lines);
        lines.push_back("     Block occupied conditions when point is thrown:");
        blockThrownSet_->Report(lines);
        lines.push_back("     Force to Red conditions when point is thrown:");
        redThrownSet_->Report(lines);
    }
    lines.push_back("     Isolation zone override conditions:");
    isolationSet_.Report(lines);
    lines.push_back("     Auxiliary output conditions:");
    auxSet_.Report(lines);
    lines.push_back("");
}
