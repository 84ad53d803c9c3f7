// The PAX66 enhanced accessory decoder: a PAX60 whose outputs may answer
// individually chosen DCC accessory addresses. A base address of 0 tells the
// board to use the individual addresses.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "boards/pax/Tpax60boardparts.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

class TPAX66Board : public TConfigurableBoard {
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
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public: // settings, for the editor
    void SetBaseAddress(int32_t base) { Parts.SetBaseAddress(base); }
    int32_t BaseAddress() const { return Parts.BaseAddress; }
    TPAX60Cell& OutputCell(int index) { return Parts.Cells[index]; }         // 0-based
    TPAX60InputCell& InputCell(int index) { return Parts.Inputs[index]; }   // 0-based
    TPAX60Route& Route(int index) { return Parts.Routes[index]; }           // 0-based
    const TPAX60Cell& OutputCell(int index) const { return Parts.Cells[index]; }
    const TPAX60InputCell& InputCell(int index) const { return Parts.Inputs[index]; }
    const TPAX60Route& Route(int index) const { return Parts.Routes[index]; }
    const TPAX60ExtDevTable& ExtDevTable() const { return Parts.ExtDevTable; }

    // Individual address i, 1 to 16 (1..8: output 1 or 1T to 8 or 8T; 9..16:
    // outputs 1C to 8C, used only when the board occupies 16 addresses).
    int32_t IndividualAddress(int i) const;
    void SetIndividualAddress(int i, int32_t address);

    TPAX60BoardParts Parts;
    uint8_t IndividualAddressing = 0;  // kept in the file, not in the image
    std::array<int32_t, kIndividualAddressCount> IndividualAddresses{1, 2,  3,  4,  5,  6,  7,  8,
                                                                     9, 10, 11, 12, 13, 14, 15, 16};
};
