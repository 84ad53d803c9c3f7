#include "boards/pax/Tpax60cell.h"

#include "boards/pax/Paxhelpers.h"
#include "boards/pax/Tpax60extdevtable.h"

namespace {

struct TCellTypeRow {
    const char* name;
    int code;
    bool addsRate;
};
const TCellTypeRow kCellTypes[TPAX60Cell::kCellTypeCount] = {
    {"Cell not used", 0, false},
    {"Point cell, solenoid type motor", 1, true},
    {"Point cell, tortoise type motor", 10, false},
    {"On/Off cell, solenoid motor", 11, true},
    {"On/Off cell, tortoise type motor", 20, false},
    {"2 alternate flashing lamps", 21, true},
    {"Lamp on or off", 30, false},
    {"Individual flashing lamps", 31, true},
    {"Individual lit lamps", 40, false},
};
const char* const kMessageTypes[TPAX60Cell::kMessageTypeCount] = {
    "No message",
    "Output State message",
    "TurnoutFeedback message",
    "SE (signal) message",
    "Output State message (only when interrogated)",
    "TurnoutFeedback message (only when interrogated)",
};
const char* const kOnTimes[TPAX60Cell::kRateCount] = {
    "0.125s", "0.25s", "0.375s", "0.5s", "0.625s", "0.75s", "0.875s", "1s", "1.125s",
};

constexpr int kMinFields = 17;
// SVs of cell n: the value for cell n is at base + n.
constexpr int kTypeSv = 10;
constexpr int kBrightnessSv = 20;
constexpr int kFollowsSv = 20;
constexpr int kMessageSv = 30;
constexpr int kConditionDelaySv = 160;
constexpr int kChangeDelaySv = 420;
// Conditions of cell n start at SV 251 + 16(n - 1): 7 thrown, 7 closed, 2 freeze.
constexpr int kConditionsSv = 251;
constexpr int kConditionBytes = 16;

}  // namespace

TPAX60Cell::TPAX60Cell()
{
    SetQuoteTexts(true);
}

TPAX60Cell::TPAX60Cell(const TPAX60Cell& other) = default;
TPAX60Cell& TPAX60Cell::operator=(const TPAX60Cell& other) = default;

const char* TPAX60Cell::CellTypeName(int cellType)
{
    return cellType >= 0 && cellType < kCellTypeCount ? kCellTypes[cellType].name : "";
}

const char* TPAX60Cell::MessageTypeName(int msgType)
{
    return msgType >= 0 && msgType < kMessageTypeCount ? kMessageTypes[msgType] : "";
}

const char* TPAX60Cell::OnTimeName(int rate)
{
    return rate >= 0 && rate < kRateCount ? kOnTimes[rate] : "";
}

bool TPAX60Cell::TypeAddsRate(int cellType)
{
    return cellType >= 0 && cellType < kCellTypeCount && kCellTypes[cellType].addsRate;
}

int TPAX60Cell::TypeCode(int cellType, int rate, bool invert)
{
    if (cellType < 0 || cellType >= kCellTypeCount)
        return 0;
    int code = kCellTypes[cellType].code;
    if (kCellTypes[cellType].addsRate)
        code += rate;
    if ((cellType == 7 || cellType == 8) && invert)
        code += 10;
    return code;
}

bool TPAX60Cell::CollectDevices(TPAX60ExtDevTable& table) const
{
    const bool closed = ClosedConditions.CollectDevices(table);
    const bool thrown = ThrownConditions.CollectDevices(table);
    const bool freeze = FreezeConditions.CollectDevices(table);
    return closed && thrown && freeze;
}

bool TPAX60Cell::Encode(TSvWriter whole, const TPAX60ExtDevTable& table) const
{
    const int n = Number;
    // Every cell's brightness is a bit of one byte.
    whole.PutBits(kBrightnessSv - 1, Brightness == 1 ? static_cast<uint8_t>(1u << (n - 1)) : uint8_t{0},
                  "cells' brightness");
    const TSvWriter image = whole.Within(whole.Naming() ? "cell " + std::to_string(n) : std::string());
    image.Put(kTypeSv + n - 1, static_cast<uint8_t>(TypeCode(CellType, Rate, InvertOutputs != 0)),
              "type, rate and inverted outputs");
    image.Put(kFollowsSv + n - 1, static_cast<uint8_t>(Follows), "follows");
    image.Put(kMessageSv + n - 1, MessageType, "message type");
    image.Put(kConditionDelaySv + n - 1, static_cast<uint8_t>(ConditionDelay), "condition delay");
    image.Put(kChangeDelaySv + n - 1, static_cast<uint8_t>(ChangeDelay), "change delay");
    const size_t first = kConditionsSv - 1 + kConditionBytes * (n - 1);
    const bool thrown = ThrownConditions.Encode(image.Sub(first, 7, "thrown conditions"), table);
    const bool closed = ClosedConditions.Encode(image.Sub(first + 7, 7, "closed conditions"), table);
    const bool freeze = FreezeConditions.Encode(image.Sub(first + 14, 2, "freeze conditions"), table);
    return thrown && closed && freeze;
}

void TPAX60Cell::Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable& table)
{
    const int n = Number;
    const int c = image[kTypeSv + n - 1];
    if (c <= 50) {
        InvertOutputs = 0;
        if (c == 0) {
            CellType = 0;
            Rate = 1;
        } else if (c >= 41) {
            CellType = c == 50 ? 8 : 7;
            Rate = c == 50 ? 1 : c - 41;
            InvertOutputs = 1;
        } else {
            // Codes 1 to 40 fall into rows of ten: a rate-taking type, then its fixed partner.
            const int row = (c - 1) / 10;  // 0..3
            const bool fixed = c % 10 == 0;
            CellType = static_cast<uint8_t>(2 * row + (fixed ? 2 : 1));
            Rate = fixed ? 1 : c - (10 * row + 1);
        }
    }
    Brightness = (image[kBrightnessSv - 1] >> (n - 1)) & 1;
    Follows = image[kFollowsSv + n - 1];
    MessageType = image[kMessageSv + n - 1];
    ConditionDelay = image[kConditionDelaySv + n - 1];
    ChangeDelay = image[kChangeDelaySv + n - 1];
    const size_t first = kConditionsSv - 1 + kConditionBytes * (n - 1);
    ThrownConditions.Decode(image.subspan(first, 7), table);
    ClosedConditions.Decode(image.subspan(first + 7, 7), table);
    FreezeConditions.Decode(image.subspan(first + 14, 2), table);
}

void TPAX60Cell::WriteLines(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "OPCell_");
    SetIntField(2, Number);
    SetIntField(3, BoardBaseAddress);
    SetIntField(4, CellType);
    SetIntField(5, Rate);
    SetIntField(6, Brightness);
    SetIntField(7, InvertOutputs);
    SetIntField(8, Follows);
    SetIntField(9, MessageType);
    SetIntField(10, ConditionDelay);
    SetIntField(11, ChangeDelay);
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(2, Description);
    WriteLine(out, kMinFields);

    ClosedConditions.WriteConditionLine(out);
    ThrownConditions.WriteConditionLine(out);
    FreezeConditions.WriteConditionLine(out);
}

void TPAX60Cell::ReadLines(std::istream& in)
{
    // The rate is added to the type's code: a type, or the rate of a type
    // that adds one, outside what the editor offers would give another type's
    // code on the board, so the file is refused rather than guessed at. The
    // other values each fill one SV of their own, which keeps their low byte
    // (Encode): they load as the file holds them. Nothing is stored before the
    // line is accepted, so a refused line leaves the cell as it was.
    ReadLine(in);
    const int32_t baseAddress = GetIntField(3);
    const int32_t cellType = InRange(GetIntField(4), 0, kCellTypeCount - 1, "cell type");
    const int32_t rate = GetIntField(5);
    if (TypeAddsRate(cellType))
        InRange(rate, 0, kRateCount - 1, "cell rate");
    BoardBaseAddress = baseAddress;
    CellType = static_cast<uint8_t>(cellType);
    Rate = rate;
    Brightness = GetIntField(6) != 0 ? 1 : 0;
    InvertOutputs = GetIntField(7) != 0 ? 1 : 0;
    Follows = GetIntField(8);
    MessageType = static_cast<uint8_t>(GetIntField(9));
    ConditionDelay = GetIntField(10);
    ChangeDelay = GetIntField(11);

    ReadLine(in);
    Description = GetTextField(2);

    ClosedConditions.ReadConditionLine(in);
    ThrownConditions.ReadConditionLine(in);
    FreezeConditions.ReadConditionLine(in);
}

void TPAX60Cell::Report(std::vector<std::string>& lines) const
{
    const std::string ind = "     ";
    lines.push_back(ind + "Cell: " + std::to_string(Number));
    lines.push_back(ind + CellTypeName(CellType));
    lines.push_back(ind + "Description: " + Description);
    lines.push_back(ind + MessageTypeName(MessageType));
    if (CellType >= 5 && Brightness == 1)
        lines.push_back(ind + "Brightness simulation enabled;");
    if (TypeAddsRate(CellType)) {
        if (CellType < 5)
            lines.push_back(ind + "On Time: " + OnTimeName(Rate));
        else
            lines.push_back(ind + "Flash rate: " + std::to_string(Rate + 1));
    }
    if (Follows == 0)
        lines.push_back(ind + "Follows no other output");
    else
        lines.push_back(ind + "Follows output " + std::to_string(Follows));
    if (ConditionDelay != 0)
        lines.push_back(ind + "Delay after conditions assert output = " + std::to_string(ConditionDelay) + "s");
    if (ChangeDelay != 0)
        lines.push_back(ind + "Delay after output changes = " + PaxTenthsText(ChangeDelay) + "s");
    lines.push_back(ind + "conditions to make cell closed:");
    ClosedConditions.Report(lines);
    lines.push_back(ind + "conditions to make cell thrown:");
    ThrownConditions.Report(lines);
    lines.push_back(ind + "conditions to freeze cell:");
    FreezeConditions.Report(lines);
    lines.push_back("");
}

std::string TPAX60Cell::ListText() const
{
    // Laid out as the input cells' lines, so both lists name what each cell is for.
    return std::to_string(Number) + "\t" + CellTypeName(CellType) + "; " + Description;
}
