// A small board model for the framework's tests: one record line of its own,
// one line of a part written without quotes whose point text is converted
// strictly, a configurable unused SV list and an adjustable image length.
#pragma once

#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// A part whose texts go to the file unquoted, as some models' parts do.
class TSmallNote : public TCsvIo {
public:
    std::string note = "none";
    int32_t point = 1;

    void Write(std::ostream& out)
    {
        ClearFields();
        SetTextField(1, "note");
        SetTextField(2, note);
        SetTextField(3, std::to_string(point) + " Closed");
        WriteLine(out, 5);
    }
    void Read(std::istream& in)
    {
        ReadLine(in);
        note = GetTextField(2);
        const std::string entry = GetTextField(3);
        point = TCsvIo::StrictInt(entry.substr(0, entry.find(' ')));
    }
};

class TSmallBoard : public TConfigurableBoard {
public:
    explicit TSmallBoard(unsigned length = 24) : TConfigurableBoard(length) { SetName("Small Board"); }

    int32_t value = 7;
    TSmallNote part;
    std::vector<unsigned> unused;
    bool failWrite = false;  // the stream fails half-way through the board

    std::string BoardTypeName() const override { return "SMALL"; }
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override
    {
        return MatchesIdentityOf(btVELA40, vendorId, deviceId, serialNumber);
    }
    void WriteToFile(std::ostream& out) override
    {
        ClearFields();
        SetTextField(0, "SMALL_BOARD");
        SetTextField(1, Name());
        SetIntField(2, SerialNumber());
        SetIntField(3, value);
        WriteLine(out, 6);
        if (failWrite)
            out.setstate(std::ios::badbit);
        part.Write(out);
    }
    void ReadFromFile(std::istream& in) override
    {
        ReadLine(in);
        SetName(GetTextField(1));
        SetSerialNumber(GetIntField(2));
        value = GetIntField(3);
        part.Read(in);
    }
    bool ComputeSvImage() override
    {
        TConfigurableBoard::ComputeSvImage();
        for (unsigned sv = 5; sv <= SvLength(); ++sv)
            SetSvByte(sv, static_cast<uint8_t>(value + sv));
        return value <= 200;
    }
    std::string SvErrorText() const override { return "SV Calculation Error: value too large"; }
    bool DecodeSvImage() override
    {
        TConfigurableBoard::DecodeSvImage();
        value = SvByte(5) - 5;
        return true;
    }
    std::vector<unsigned> SystemSvList() const override { return {1, 2, 7, 8, 29}; }
    std::vector<unsigned> UnusedSvList() const override { return unused; }
    void DescribeSettings(std::vector<std::string>& lines) const override
    {
        TConfigurableBoard::DescribeSettings(lines);
        lines.push_back("Value: " + std::to_string(value));
    }
};

// Types 0 and 1 make small boards, the others nothing.
inline TBoardFactoryFn SmallFactory()
{
    return [](int type) -> std::unique_ptr<TConfigurableBoard> {
        if (type == 0 || type == 1)
            return std::make_unique<TSmallBoard>();
        return nullptr;
    };
}
