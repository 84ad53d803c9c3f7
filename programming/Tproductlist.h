// The product list "progdevicelist.csv", delivered with the program: which
// product, manufacturer and description belong to a vendor id and device id
// reported by a board.
//
// File layout: line 1 holds the number of product lines N in column 1;
// line 2 holds headings; lines 3 to N + 2 hold product, device id,
// manufacturer, vendor id and description.
//
// Read with the configuration files' tolerant rules: a damaged number reads
// as its leading digits or 0, missing columns as empty texts, and a count
// beyond the lines that follow as the lines there are. One bad line costs
// only that line's ids, never the rest of the table.
#pragma once

#include "boards/core/Csv_io.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class TProductList : public TCsvIo {
public:
    static constexpr const char* kFileName = "progdevicelist.csv";

    TProductList();

    // Replaces the table with the file's products. The result is false when
    // the file is missing or a line was not clean; Warning() then says so
    // once, naming the file and the first such line, and the table holds
    // what could be read.
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
    bool LoadLines(std::istream& in, const std::string& fileName);
    bool Reject(const std::string& fileName, const std::string& why);
    // Remembers the first line that was not clean and counts the others.
    void NoteUnclean(long lineNo, const std::string& what);

    std::vector<std::string> product_;
    std::vector<int32_t> deviceId_;
    std::vector<std::string> manufacturer_;
    std::vector<int32_t> vendorId_;
    std::vector<std::string> description_;
    std::string warning_;
    long firstUncleanLine_ = 0;
    std::string firstUnclean_;
    long moreUnclean_ = 0;
};
