#include "boards/pax/Tpax60inputcell.h"

namespace {

const char* const kInputTypes[TPAX60InputCell::kInputTypeCount] = {
    "Not Used",
    "Pushbutton input, no change to o/p",
    "Toggle switch, no change to o/p",
    "Pushbutton input, changes point",
    "Toggle switch, sets point",
    "Pushbutton input, sets route",
};
const char* const kMessageTypes[TPAX60InputCell::kMessageTypeCount] = {
    "No message",
    "Sensor message",
    "Turnout feedback message",
    "Emergency stop message",
    "Track power off message",
};
const char kLabels[] = "12345678AB";

constexpr int kMinFields = 17;
constexpr int kInputTypeSv = 40;  // input n at SV 40 + n
constexpr int kMessageSv = 50;    // input n at SV 50 + n

bool ActsOnCellOrRoute(int inputType)
{
    return inputType >= 3 && inputType <= 5;
}

}  // namespace

TPAX60InputCell::TPAX60InputCell()
{
    SetQuoteTexts(false);
}

const char* TPAX60InputCell::InputTypeName(int inputType)
{
    return inputType >= 0 && inputType < kInputTypeCount ? kInputTypes[inputType] : "";
}

const char* TPAX60InputCell::MessageTypeName(int msgType)
{
    return msgType >= 0 && msgType < kMessageTypeCount ? kMessageTypes[msgType] : "";
}

char TPAX60InputCell::Label() const
{
    return Number >= 1 && Number <= 10 ? kLabels[Number - 1] : '?';
}

bool TPAX60InputCell::Encode(TSvWriter whole, const TPAX60ExtDevTable&) const
{
    const TSvWriter image = whole.Within(whole.Naming() ? std::string("input cell ") + Label() : std::string());
    image.Put(kInputTypeSv + Number - 1, InputType, "input type");
    image.Put(kMessageSv + Number - 1, MessageType, "message type");
    return true;
}

void TPAX60InputCell::Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable&)
{
    const uint8_t type = image[kInputTypeSv + Number - 1];
    const uint8_t msg = image[kMessageSv + Number - 1];
    InputType = type < kInputTypeCount ? type : 0;
    MessageType = msg < kMessageTypeCount ? msg : 0;
}

void TPAX60InputCell::WriteLines(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "INCell_");
    SetIntField(2, Number);
    SetIntField(3, InputType);
    SetIntField(4, MessageType);
    SetTextField(5, Description);
    WriteLine(out, kMinFields);
}

void TPAX60InputCell::ReadLines(std::istream& in)
{
    ReadLine(in);
    InputType = static_cast<uint8_t>(GetIntField(3));
    MessageType = static_cast<uint8_t>(GetIntField(4));
    Description = GetTextField(5);
}

void TPAX60InputCell::Report(std::vector<std::string>& lines) const
{
    lines.push_back(std::string("    i/p Cell ") + Label() + ": " + Description);
    std::string type = std::string("       ") + InputTypeName(InputType);
    if (ActsOnCellOrRoute(InputType)) {
        type += ' ';
        type += std::to_string(Number);
    }
    lines.push_back(type);
    lines.push_back(std::string("       ") + MessageTypeName(MessageType));
}

std::string TPAX60InputCell::ListText() const
{
    std::string s = std::string(1, Label()) + "\t" + InputTypeName(InputType);
    if (ActsOnCellOrRoute(InputType)) {
        s += ' ';
        s += std::to_string(Number);
    }
    s += "; ";
    s += MessageTypeName(MessageType);
    s += "; ";
    s += Description;
    return s;
}
