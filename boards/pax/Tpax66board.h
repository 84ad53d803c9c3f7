// The PAX66 enhanced accessory decoder: a PAX60 whose outputs may answer
// individually chosen DCC accessory addresses. A base address of 0 tells the
// board to use the individual addresses.
#pragma once

#include "boards/pax/Tpax60boardparts.h"

#include <array>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX66Board : public TPAXBoard {
public:
    static constexpr int kIndividualAddressCount = 16;
    static constexpr int32_t kMaxIndividualAddress = 2044;

    TPAX66Board();
    TPAX66Board(const TPAX66Board& other);
    TPAX66Board& operator=(const TPAX66Board& other);
    ~TPAX66Board() override;

public: // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    std::vector<unsigned> UnusedSvList() const override;

public: // settings, for the editor
    // Individual address i, 1 to 16 (1..8: output 1 or 1T to 8 or 8T; 9..16:
    // outputs 1C to 8C, used only when the board occupies 16 addresses).
    int32_t IndividualAddress(int i) const;
    void SetIndividualAddress(int i, int32_t address);
    // With individual addressing, output n answers to individual address n.
    int32_t CellAddress(int index) const override;

    uint8_t IndividualAddressing = 0;  // kept in the file, not in the image
    std::array<int32_t, kIndividualAddressCount> IndividualAddresses{1, 2,  3,  4,  5,  6,  7,  8,
                                                                     9, 10, 11, 12, 13, 14, 15, 16};

protected: // TPAXBoard
    unsigned PutOwnFields(unsigned column) override;
    unsigned GetOwnFields(unsigned column) override;
    void WriteOwnLines(std::ostream& out) override;
    void ReadOwnLines(std::istream& in) override;
    void ComputeOwnSvs(const TSvWriter& image) override;
    void DecodeOwnSvs(std::span<const uint8_t> image) override;
    void DescribeOwnSettings(std::vector<std::string>& lines) const override;

public:
    // The PAX60's report, then the individual output addresses.
    void DescribeSettings(std::vector<std::string>& lines) const override;
};
