// The product list "progdevicelist.csv", delivered with the program: which
// product, manufacturer and description belong to a vendor id and device id
// reported by a board.
//
// File layout: line 1 holds the number of product lines N in column 1;
// line 2 holds headings; lines 3 to N + 2 hold product, device id,
// manufacturer, vendor id and description.
#pragma once

#include "boards/core/Csv_io.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class TProductList : public TCsvIo {
public:
    static constexpr const char* kFileName = "progdevicelist.csv";
    // A count beyond this is taken as a damaged file rather than a list.
    static constexpr int kMaxProducts = 10000;

    TProductList();

    // Replaces the table with the file's products. A missing or malformed
    // file leaves the table empty; the result is then false and Warning()
    // says why.
    bool Load(const std::string& fileName);
    bool Load(std::istream& in, const std::string& fileName);
    void Clear();

    int Count() const { return static_cast<int>(product_.size()); }
    // The first line with both ids, or -1.
    int Find(int vendorId, int deviceId) const;

    const std::string& Product(int line) const { return product_[line]; }
    int32_t DeviceId(int line) const { return deviceId_[line]; }
    const std::string& Manufacturer(int line) const { return manufacturer_[line]; }
    int32_t VendorId(int line) const { return vendorId_[line]; }
    const std::string& Description(int line) const { return description_[line]; }

    const std::string& Warning() const { return warning_; }

private:
    bool Reject(const std::string& fileName, const std::string& why);

    std::vector<std::string> product_;
    std::vector<int32_t> deviceId_;
    std::vector<std::string> manufacturer_;
    std::vector<int32_t> vendorId_;
    std::vector<std::string> description_;
    std::string warning_;
};
