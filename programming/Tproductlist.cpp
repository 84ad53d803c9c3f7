#include "programming/Tproductlist.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <istream>

namespace {

// Whole-field decimal conversion: the product list is a shipped file, so a
// damaged number means a damaged file, not a value to guess at.
bool WholeNumber(const std::string& text, long& value)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t\r");
    if (begin == std::string::npos)
        return false;
    const std::string digits = text.substr(begin, end - begin + 1);
    errno = 0;
    char* stop = nullptr;
    value = std::strtol(digits.c_str(), &stop, 10);
    return errno == 0 && stop != digits.c_str() && *stop == '\0';
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

bool TProductList::Load(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return Reject(fileName, "cannot be opened");
    return Load(in, fileName);
}

bool TProductList::Load(std::istream& in, const std::string& fileName)
{
    Clear();
    warning_.clear();
    if (ReadLine(in) == 0)
        return Reject(fileName, "is empty");
    long count = 0;
    if (!WholeNumber(GetTextField(1), count) || count < 0 || count > kMaxProducts)
        return Reject(fileName, "has no product count in line 1");
    if (ReadLine(in) == 0 && count > 0)
        return Reject(fileName, "ends before its products");
    for (long i = 0; i < count; ++i) {
        const std::string lineNo = std::to_string(i + 3);
        if (ReadLine(in) == 0)
            return Reject(fileName, "ends at line " + lineNo + " of " + std::to_string(count + 2));
        long device = 0;
        long vendor = 0;
        if (!WholeNumber(GetTextField(1), device) || !WholeNumber(GetTextField(3), vendor))
            return Reject(fileName, "has a bad device or vendor id in line " + lineNo);
        product_.push_back(GetTextField(0));
        deviceId_.push_back(static_cast<int32_t>(device));
        manufacturer_.push_back(GetTextField(2));
        vendorId_.push_back(static_cast<int32_t>(vendor));
        description_.push_back(GetTextField(4));
    }
    return true;
}

int TProductList::Find(int vendorId, int deviceId) const
{
    for (int i = 0; i < Count(); ++i)
        if (vendorId_[i] == vendorId && deviceId_[i] == deviceId)
            return i;
    return -1;
}
