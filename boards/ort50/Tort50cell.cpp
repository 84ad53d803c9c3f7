#include "boards/ort50/Tort50cell.h"

#include <algorithm>

namespace {

const char* const kCellTypeNames[kOrtCellTypeCount] = {
    "Undefined",
    "Point Cell",
    "Sensor Cell",
    "VELA80 Signal Cell",
    "VELA80 Reverse Running Zone Cell",
    "SE8c Signal Cell, Red/Green",
    "SE8c Signal Cell, Red/Green/Amber",
    "RR&Co Interlock Cell",
    "Copy of Another Cell",
    "Display Board Mode Cell",
    "PM42 Relay Cell",
};

const char* const kActionNames[kOrtActionCount] = {
    "No Action",
    "Change point state on each press",
    "Set Point Closed",
    "set Point Thrown",
    "Change sensor state each press",
    "Set sensor Active while pressed",
    "Request Interlock from RR&co or similar",
    "Set VELA80 signal to Red",
    "Release VELA80 signal",
    "Set Reverse Running Zone to W-E",
    "Set Reverse Running Zone to E-W",
    "Step SE8c signal Aspect",
    "Initialise Points",
    "Change board mode to/from Interlock",
    "Change board mode to/from Slave",
    "Track Power On",
    "Track Power Off",
    "Emergency Stop",
    "Generate Interrogate sequence",
    "Execute Route ",
};

const char* const kAspectNames[5] = {
    "Bi-colour LED",
    "red & green LEDs",
    "amber & 2nd amber LEDs",
    "amber & rev running LEDs",
    "red & green LEDs, flash red if forced",
};

std::string Num(int32_t value) { return std::to_string(value); }

bool IsSignalType(int type)
{
    return type == kOrtCellVelaSignal || type == kOrtCellSe8cRedGreen || type == kOrtCellSe8cRedGreenAmber;
}

// Types whose address high byte carries the turnout feedback bit.
bool HasFeedbackBit(int type)
{
    return type == kOrtCellPoint || type == kOrtCellVelaSignal || type == kOrtCellVelaZone;
}

bool IsCellNumber(int32_t value) { return value >= 1 && value <= kOrtCellCount; }

std::string CascadeText(const TORT50Cell& c)
{
    return Num(c.cascadeCell) + (c.cascadeMode == 2 ? " Thrown" : " Closed");
}

std::string ActionText(uint8_t action, int32_t route)
{
    std::string text = Ort50ActionName(action);
    if (action == kOrtActionExecuteRoute)
        text += Num(route);
    return text;
}

}  // namespace

std::string Ort50CellTypeName(int type)
{
    return type >= 0 && type < kOrtCellTypeCount ? kCellTypeNames[type] : "Unknown";
}

std::string Ort50ActionName(int action)
{
    return action >= 0 && action < kOrtActionCount ? kActionNames[action] : "Unknown";
}

std::string Ort50AspectName(int aspect)
{
    return aspect >= 0 && aspect < 5 ? kAspectNames[aspect] : "Unknown";
}

int32_t PointCellFor(int32_t point, const TORT50Cells& cells)
{
    for (int i = 0; i < kOrtCellCount; ++i)
        if (cells[static_cast<size_t>(i)].type == kOrtCellPoint && cells[static_cast<size_t>(i)].address == point)
            return i + 1;
    return 0;
}

TORT50Cell::TORT50Cell(int32_t number_) : number(number_)
{
    SetQuoteTexts(false);
}

// ---------------------------------------------------------------- file line

void TORT50Cell::WriteCellLine(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "Cell_");
    SetIntField(2, number);
    SetIntField(3, type);
    SetIntField(4, address);
    SetIntField(5, actionA);
    SetIntField(6, actionB);
    SetIntField(7, routeA);
    SetIntField(8, routeB);
    switch (type) {
    case kOrtCellPoint:
        SetIntField(9, initialise);
        SetIntField(10, interlockToken);
        SetIntField(11, cascadeCell);
        SetIntField(12, cascadeMode);
        SetIntField(13, usesTurnoutFeedback ? 1 : 0);
        break;
    case kOrtCellSensor:
        SetIntField(9, sensorNumber);
        SetIntField(10, flashUntilKnown ? 1 : 0);
        break;
    case kOrtCellVelaSignal:
        SetIntField(9, aspect);
        SetIntField(10, cascadeCell);
        SetIntField(11, cascadeMode);
        SetIntField(12, usesTurnoutFeedback ? 1 : 0);
        break;
    case kOrtCellVelaZone:
        SetIntField(9, flashWhenLocked ? 1 : 0);
        SetIntField(10, usesTurnoutFeedback ? 1 : 0);
        break;
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
    case kOrtCellCopy:
        SetIntField(9, aspect);
        SetIntField(10, cascadeCell);
        SetIntField(11, cascadeMode);
        break;
    case kOrtCellInterlock:
        SetIntField(9, interlockNumber);
        break;
    case kOrtCellRelay:
        SetIntField(9, relayNumber);
        break;
    default:
        break;
    }
    SetTextField(14, description);
    WriteLine(out, kOrtMinFields);
}

void TORT50Cell::ReadCellLine(std::istream& in)
{
    ReadLine(in);
    number = GetIntField(2);
    type = static_cast<uint8_t>(GetIntField(3));
    address = GetIntField(4);
    actionA = static_cast<uint8_t>(GetIntField(5));
    actionB = static_cast<uint8_t>(GetIntField(6));
    routeA = GetIntField(7);
    routeB = GetIntField(8);
    switch (type) {
    case kOrtCellPoint:
        initialise = static_cast<uint8_t>(GetIntField(9));
        interlockToken = GetIntField(10);
        cascadeCell = GetIntField(11);
        cascadeMode = static_cast<uint8_t>(GetIntField(12));
        usesTurnoutFeedback = GetIntField(13) != 0;
        break;
    case kOrtCellSensor:
        sensorNumber = GetIntField(9);
        flashUntilKnown = GetIntField(10) != 0;
        break;
    case kOrtCellVelaSignal:
        aspect = static_cast<uint8_t>(GetIntField(9));
        cascadeCell = GetIntField(10);
        cascadeMode = static_cast<uint8_t>(GetIntField(11));
        usesTurnoutFeedback = GetIntField(12) != 0;
        break;
    case kOrtCellVelaZone:
        flashWhenLocked = GetIntField(9) != 0;
        usesTurnoutFeedback = GetIntField(10) != 0;
        break;
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
    case kOrtCellCopy:
        aspect = static_cast<uint8_t>(GetIntField(9));
        cascadeCell = GetIntField(10);
        cascadeMode = static_cast<uint8_t>(GetIntField(11));
        break;
    case kOrtCellInterlock:
        interlockNumber = GetIntField(9);
        break;
    case kOrtCellRelay:
        relayNumber = GetIntField(9);
        break;
    default:
        break;
    }
    description = GetTextField(14);
}

// ---------------------------------------------------------------- SV record

uint8_t TORT50Cell::CascadeCode() const
{
    switch (cascadeMode) {
    case 1: return static_cast<uint8_t>(cascadeCell);
    case 2: return static_cast<uint8_t>(cascadeCell + 30);
    default: return 0;
    }
}

int TORT50Cell::EffectiveType(const TORT50Cells& cells) const
{
    if (type != kOrtCellCopy)
        return type;
    if (!IsCellNumber(address))
        return kOrtCellUndefined;
    return cells[static_cast<size_t>(address - 1)].type;
}

bool TORT50Cell::EncodeCell(TSvWriter image, const TORT50Cells& cells)
{
    if (!IsCellNumber(number) || FirstSv(number) - 1 + 6 > image.size())
        return true;
    std::array<uint8_t, 6> b{};
    std::array<const char*, 6> what{"cell type", "address, low byte", "address, high byte",
                                    "action A", "action B", "unused"};

    if (type == kOrtCellPoint)
        b[0] = interlockToken >= 1 && interlockToken <= 4 ? static_cast<uint8_t>(interlockToken) : 5;
    else if (type >= 2)
        b[0] = static_cast<uint8_t>(type + 4);
    // A copy cell must name a cell of the board, or the board would look past its cells.
    if (type == kOrtCellCopy && !IsCellNumber(address))
        address = 1;
    b[1] = static_cast<uint8_t>(address & 0xFF);
    b[2] = static_cast<uint8_t>((address >> 8) & 0xFF);
    if (HasFeedbackBit(type) && usesTurnoutFeedback) {
        b[2] = static_cast<uint8_t>(b[2] + 0x10);
        what[2] = "address, high byte and turnout feedback";
    }
    b[3] = actionA == kOrtActionExecuteRoute ? static_cast<uint8_t>(routeA + 100) : actionA;
    b[4] = actionB == kOrtActionExecuteRoute ? static_cast<uint8_t>(routeB + 100) : actionB;

    switch (type) {
    case kOrtCellPoint:
        b[5] = CascadeCode();
        if (initialise == 1)
            b[5] = static_cast<uint8_t>(b[5] + 0x40);
        else if (initialise == 2)
            b[5] = static_cast<uint8_t>(b[5] + 0x80);
        what[5] = "cascade and initialise";
        break;
    case kOrtCellSensor:
        b[2] = static_cast<uint8_t>(sensorNumber);
        b[5] = flashUntilKnown ? 1 : 0;
        what[2] = "sensor number";
        what[5] = "flash until known";
        break;
    case kOrtCellVelaSignal:
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
        b[5] = aspect;
        what[5] = "aspect";
        break;
    case kOrtCellVelaZone:
        b[5] = flashWhenLocked ? 1 : 0;
        what[5] = "flash when locked";
        break;
    case kOrtCellInterlock:
        b[5] = static_cast<uint8_t>(interlockNumber);
        what[5] = "interlock number";
        break;
    case kOrtCellCopy: {
        const int copied = cells[static_cast<size_t>(address - 1)].type;
        what[1] = "copied cell";
        what[2] = "copied cell, high byte";
        if (copied == kOrtCellPoint) {
            b[5] = CascadeCode();
            what[5] = "cascade";
        } else if (IsSignalType(copied)) {
            b[5] = aspect;
            what[5] = "aspect";
        }
        break;
    }
    case kOrtCellRelay:
        b[2] = static_cast<uint8_t>(relayNumber);
        what[2] = "relay number";
        break;
    default:
        break;
    }
    // Every byte of the record is written, the ones the type leaves unused as 0.
    TSvWriter record = image.Sub(FirstSv(number) - 1, b.size(), "cell " + std::to_string(number));
    for (size_t i = 0; i < b.size(); ++i)
        record.Put(i, b[i], what[i]);
    return true;
}

void TORT50Cell::DecodeCell(std::span<const uint8_t> image)
{
    if (!IsCellNumber(number) || FirstSv(number) - 1 + 6 > image.size())
        return;
    std::span<const uint8_t> b = image.subspan(FirstSv(number) - 1, 6);

    if (b[0] == 0) {
        type = kOrtCellUndefined;
    } else if (b[0] <= 4) {
        type = kOrtCellPoint;
        interlockToken = b[0];
    } else if (b[0] == 5) {
        type = kOrtCellPoint;
        interlockToken = 0;
    } else {
        type = static_cast<uint8_t>(b[0] - 4);
    }

    auto decodeAction = [](uint8_t value, uint8_t& action, int32_t& route) {
        if (value >= 101 && value <= 127) {
            action = kOrtActionExecuteRoute;
            route = value - 100;
        } else {
            action = value;
        }
    };
    decodeAction(b[3], actionA, routeA);
    decodeAction(b[4], actionB, routeB);

    address = b[1] + 256 * b[2];
    usesTurnoutFeedback = false;
    if (HasFeedbackBit(type) && address > 4096) {
        usesTurnoutFeedback = true;
        address -= 4096;
    }

    optionByte = b[5];
    switch (type) {
    case kOrtCellPoint: {
        initialise = (b[5] & 0x80) ? 2 : (b[5] & 0x40) ? 1 : 0;
        const int c = b[5] & 0x3F;
        if (c == 0) {
            cascadeMode = 0;
            cascadeCell = 0;
        } else if (c > 30) {
            cascadeMode = 2;
            cascadeCell = c - 30;
        } else {
            cascadeMode = 1;
            cascadeCell = c;
        }
        break;
    }
    case kOrtCellSensor:
        address = b[1];
        sensorNumber = b[2];
        flashUntilKnown = b[5] != 0;
        break;
    case kOrtCellVelaSignal:
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
        aspect = b[5];
        break;
    case kOrtCellVelaZone:
        flashWhenLocked = b[5] != 0;
        break;
    case kOrtCellInterlock:
        interlockNumber = b[5];
        break;
    case kOrtCellRelay:
        address = b[1];
        relayNumber = b[2];
        break;
    default:
        break;
    }
}

void TORT50Cell::FinishCopyCell(const TORT50Cells& cells)
{
    if (type != kOrtCellCopy)
        return;
    if (!IsCellNumber(address))
        address = 1;
    const int copied = cells[static_cast<size_t>(address - 1)].type;
    if (copied == kOrtCellPoint) {
        if (optionByte == 0) {
            cascadeMode = 0;
            cascadeCell = 0;
        } else if (optionByte < 31) {
            cascadeMode = 1;
            cascadeCell = optionByte;
        } else {
            cascadeMode = 2;
            cascadeCell = optionByte - 30;
        }
    } else if (IsSignalType(copied)) {
        aspect = optionByte;
    }
}

// ---------------------------------------------------------------- texts

std::string TORT50Cell::CellListLine() const
{
    std::string line = Num(number) + ": " + description + "; " + Ort50CellTypeName(type);
    switch (type) {
    case kOrtCellPoint:
        line += ", Addr " + Num(address);
        if (usesTurnoutFeedback)
            line += " (TO F/B)";
        if (interlockToken != 0)
            line += ", Interlock " + Num(interlockToken);
        if (cascadeMode != 0)
            line += ", Cascades from cell " + CascadeText(*this);
        break;
    case kOrtCellSensor:
        line += ", Board = " + Num(address) + ", Sensor = " + Num(sensorNumber);
        if (flashUntilKnown)
            line += ", flashes until known";
        break;
    case kOrtCellVelaSignal:
    case kOrtCellVelaZone:
        line += ", Address = " + Num(address);
        if (usesTurnoutFeedback)
            line += " (TO F/B)";
        if (type == kOrtCellVelaZone && flashWhenLocked)
            line += ", Flashes when locked";
        break;
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
        line += ", Address = " + Num(address);
        break;
    case kOrtCellInterlock:
        line += " " + Num(interlockNumber) + ", DCC Address = " + Num(address);
        break;
    case kOrtCellCopy:
        line += ", Copies cell " + Num(address);
        break;
    case kOrtCellRelay:
        line += ", Board = " + Num(address) + ", Relay number = " + Num(relayNumber);
        break;
    default:
        break;
    }
    return line;
}

void TORT50Cell::DescribeCell(std::vector<std::string>& lines) const
{
    lines.push_back("    Cell " + Num(number) + ": " + description);
    std::string line = "       " + Ort50CellTypeName(type);
    std::vector<std::string> extra;
    switch (type) {
    case kOrtCellPoint:
        line += ", Point Address " + Num(address);
        if (usesTurnoutFeedback)
            line += " (Uses Turnout Feedback)";
        if (interlockToken != 0)
            extra.push_back("       Assigned to Interlock " + Num(interlockToken));
        if (cascadeMode != 0)
            extra.push_back("       Cascades from cell " + CascadeText(*this));
        break;
    case kOrtCellSensor:
        line += ", Board = " + Num(address) + ", Sensor = " + Num(sensorNumber);
        if (flashUntilKnown)
            line += ", flashes until known";
        break;
    case kOrtCellVelaSignal:
    case kOrtCellVelaZone:
        line += ", Address = " + Num(address);
        if (usesTurnoutFeedback)
            line += " (Uses Turnout Feedback)";
        if (type == kOrtCellVelaZone && flashWhenLocked)
            line += ", Flashes when locked";
        break;
    case kOrtCellSe8cRedGreen:
    case kOrtCellSe8cRedGreenAmber:
        line += ", Address = " + Num(address);
        break;
    case kOrtCellInterlock:
        line += ", Interlock number = " + Num(interlockNumber) + ", DCC Address = " + Num(address);
        break;
    case kOrtCellCopy:
        line += ", Copies cell " + Num(address);
        break;
    case kOrtCellRelay:
        line += ", Board = " + Num(address) + ", Relay = " + Num(relayNumber);
        break;
    default:
        break;
    }
    lines.push_back(line);
    lines.insert(lines.end(), extra.begin(), extra.end());
    lines.push_back("       Pushbutton A effect: " + ActionText(actionA, routeA));
    lines.push_back("       Pushbutton B effect: " + ActionText(actionB, routeB));
}
