#include "boards/vela/Tvelaboard.h"

#include "boards/vela/Velasv.h"

using vela::GetSv;
using vela::PutSv;

namespace {

constexpr unsigned kMinFields = 18;

// SVs of the settings both models keep.
constexpr int kSvReportSpad = 9;
constexpr int kSvIsolationDelay = 508;
constexpr int kSvBrightness = 509;

}  // namespace

TVelaBoard::TVelaBoard(const char* name, const char* recordName)
    : TConfigurableBoard(kSvCount), recordName_(recordName)
{
    SetName(name);
}

TVelaBoard::~TVelaBoard() = default;

void TVelaBoard::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, recordName_);
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, SignalBaseAddress());
    SetIntField(4, reportSpad_);
    SetIntField(5, isolationDelay_);
    PutOwnFields();
    WriteLine(out, kMinFields);

    ClearFields();
    SetTextField(1, description_);
    WriteLine(out, kMinFields);

    WriteOwnRecords(out);
    layout_.WriteRecords(out);
}

void TVelaBoard::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    SetSignalBaseAddress(GetIntField(3));
    reportSpad_ = GetIntField(4) != 0 ? 1 : 0;
    isolationDelay_ = GetIntField(5);
    GetOwnFields();

    ReadLine(in);
    description_ = GetTextField(1);

    ReadOwnRecords(in);
    layout_.ReadRecords(in);
}

bool TVelaBoard::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    return layout_.ComputeBoardImage(*this, [this](TSvWriter& image) {
        PutSv(image, kSvReportSpad, reportSpad_, "report SPAD");
        PutSv(image, kSvIsolationDelay, uint8_t(isolationDelay_), "isolation delay");
        PutSv(image, kSvBrightness, brightness_, "brightness");
        EncodeOwnSettings(image);
    });
}

std::string TVelaBoard::SvErrorText() const
{
    return layout_.SvErrorText();
}

bool TVelaBoard::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    const std::span<const uint8_t> image(SvImage());
    reportSpad_ = GetSv(image, kSvReportSpad) != 0 ? 1 : 0;
    isolationDelay_ = GetSv(image, kSvIsolationDelay);
    brightness_ = GetSv(image, kSvBrightness) != 0 ? 1 : 0;
    DecodeOwnSettings(image);
    return layout_.DecodeImage(image);
}

std::vector<unsigned> TVelaBoard::SystemSvList() const
{
    return vela::SystemSvList();
}

void TVelaBoard::DescribeHead(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);
    lines.push_back("Signal Base address: " + std::to_string(SignalBaseAddress()));
    lines.push_back("User Description: " + description_);
}
