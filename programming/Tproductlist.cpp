#include "programming/Tproductlist.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <istream>

namespace {

// The text of a field as it was in the file, for the warning: bounded and
// with control bytes escaped, as board files quote their input.
std::string Quoted(const std::string& text)
{
    const std::string quoted = TCsvIo::QuotedInput(text);
    return "\"" + quoted.substr(1, quoted.size() - 2) + "\"";
}

}  // namespace

TProductList::TProductList()
{
    SetQuoteTexts(true);
}

void TProductList::Clear()
{
    product_.clear();
    deviceId_.clear();
    manufacturer_.clear();
    vendorId_.clear();
    description_.clear();
}

bool TProductList::Reject(const std::string& fileName, const std::string& why)
{
    Clear();
    warning_ = "Product list \"" + fileName + "\" " + why + ": discovered boards are shown without product names";
    return false;
}

void TProductList::NoteUnclean(long lineNo, const std::string& what)
{
    if (firstUncleanLine_ == 0) {
        firstUncleanLine_ = lineNo;
        firstUnclean_ = what;
    } else if (lineNo != firstUncleanLine_) {
        ++moreUnclean_;
    }
}

bool TProductList::Load(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        warning_.clear();
        return Reject(fileName, "cannot be opened");
    }
    return Load(in, fileName);
}

bool TProductList::Load(std::istream& in, const std::string& fileName)
{
    // A line longer than any product needs ends the reading, so that memory
    // stays bounded whatever file is named.
    TCsvFileReading reading(in);
    ResetReadPosition(in);
    try {
        return LoadLines(in, fileName);
    } catch (const TCsvConversionError& e) {
        return Reject(fileName, "line " + std::to_string(LinesRead(in)) + ": " + e.what());
    }
}

bool TProductList::LoadLines(std::istream& in, const std::string& fileName)
{
    Clear();
    warning_.clear();
    firstUncleanLine_ = 0;
    firstUnclean_.clear();
    moreUnclean_ = 0;
    if (ReadLine(in) == 0)
        return Reject(fileName, "is empty");
    bool bad = false;
    long count = ParseTolerantInt(GetTextField(1), bad);
    if (bad)
        NoteUnclean(1, "the product count " + Quoted(GetTextField(1)) + " reads as " + std::to_string(count));
    if (count < 0) {
        if (!bad)
            NoteUnclean(1, "the product count " + Quoted(GetTextField(1)) + " reads as 0");
        count = 0;
    }
    ReadLine(in);  // headings
    for (long i = 0; i < count; ++i) {
        const long lineNo = i + 3;
        if (ReadLine(in) == 0) {
            NoteUnclean(lineNo, "the file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                                    " products");
            break;
        }
        const std::string deviceText = GetTextField(1);
        const std::string vendorText = GetTextField(3);
        bool badDevice = false;
        bool badVendor = false;
        const int32_t device = ParseTolerantInt(deviceText, badDevice);
        const int32_t vendor = ParseTolerantInt(vendorText, badVendor);
        if (badDevice)
            NoteUnclean(lineNo, "the device id " + Quoted(deviceText) + " reads as " + std::to_string(device));
        if (badVendor)
            NoteUnclean(lineNo, "the vendor id " + Quoted(vendorText) + " reads as " + std::to_string(vendor));
        product_.push_back(GetTextField(0));
        deviceId_.push_back(device);
        manufacturer_.push_back(GetTextField(2));
        vendorId_.push_back(vendor);
        description_.push_back(GetTextField(4));
    }
    if (firstUncleanLine_ == 0)
        return true;
    warning_ = "Product list \"" + fileName + "\" line " + std::to_string(firstUncleanLine_) + ": " + firstUnclean_;
    if (moreUnclean_ > 0)
        warning_ += " (and " + std::to_string(moreUnclean_) + (moreUnclean_ == 1 ? " more line" : " more lines") +
                    " not clean)";
    if (Count() == 0)
        warning_ += ": discovered boards are shown without product names";
    return false;
}

int TProductList::Find(int vendorId, int deviceId) const
{
    for (int i = 0; i < Count(); ++i)
        if (vendorId_[i] == vendorId && deviceId_[i] == deviceId)
            return i;
    return -1;
}
