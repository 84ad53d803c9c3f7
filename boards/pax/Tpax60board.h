// The PAX60 accessory decoder: eight output cells, ten inputs and eight
// routes under conditions on other layout devices.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "boards/pax/Tpax60boardparts.h"

#include <iosfwd>
#include <string>
#include <vector>

class TPAX60Board : public TConfigurableBoard {
public:
    TPAX60Board();
    TPAX60Board(const TPAX60Board& other);
    TPAX60Board& operator=(const TPAX60Board& other);
    ~TPAX60Board() override;

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
    // Copies the base address into every cell, route and the device table.
    void SetBaseAddress(int32_t base) { Parts.SetBaseAddress(base); }
    int32_t BaseAddress() const { return Parts.BaseAddress; }
    TPAX60Cell& OutputCell(int index) { return Parts.Cells[index]; }         // 0-based
    TPAX60InputCell& InputCell(int index) { return Parts.Inputs[index]; }   // 0-based
    TPAX60Route& Route(int index) { return Parts.Routes[index]; }           // 0-based
    const TPAX60Cell& OutputCell(int index) const { return Parts.Cells[index]; }
    const TPAX60InputCell& InputCell(int index) const { return Parts.Inputs[index]; }
    const TPAX60Route& Route(int index) const { return Parts.Routes[index]; }
    const TPAX60ExtDevTable& ExtDevTable() const { return Parts.ExtDevTable; }

    // Everything else the board holds: the fields are public, the base
    // address is set through SetBaseAddress.
    TPAX60BoardParts Parts;
};
