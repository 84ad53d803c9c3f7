// What the PAX60 and PAX66 boards have in common: the settings, the external
// device table, the cells, inputs and routes, the SV image layout up to SV 430,
// the 66 part lines of the file and the report. Each board model holds one,
// through TPAXBoard, the board model both are built on.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/core/Tconfigurableboard.h"
#include "boards/pax/Tpax60cell.h"
#include "boards/pax/Tpax60extdevtable.h"
#include "boards/pax/Tpax60inputcell.h"
#include "boards/pax/Tpax60route.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TPAX60BoardParts {
public:
    static constexpr int kCellCount = 8;
    static constexpr int kInputCount = 10;
    static constexpr int kRouteCount = 8;

    TPAX60BoardParts();

public: // settings
    TPAX60ExtDevTable ExtDevTable;
    std::array<TPAX60Cell, kCellCount> Cells;
    std::array<TPAX60InputCell, kInputCount> Inputs;
    std::array<TPAX60Route, kRouteCount> Routes;
    // The base address goes through SetBaseAddress, which copies it into the
    // cells, the routes and the table. A new board has not copied its default
    // yet: its cells hold 1, its routes and table 0, and its files and images
    // keep showing that until the base address is first set.
    int32_t BaseAddress = 1;
    std::string UserDescription = "Unassigned";
    uint8_t Occupies16Addresses = 0;
    uint8_t LocoNetSwitchCommands = 0;
    int32_t CduDelay = 8;  // [0.1 s]
    int32_t OutputMemoryLocation = 0;
    int32_t SensorBoardNumber = 16;
    int32_t RouteDccBaseAddress = 1000;

    void SetBaseAddress(int32_t base);

public: // SV image (image[n - 1] is SV n; cleared, serial number written)
    // Rebuilds the table from the conditions and writes everything but the
    // serial number; false when a condition or route could not be encoded.
    bool Compute(const TSvWriter& image);
    void Decode(std::span<const uint8_t> image);  // after the base address is set
    // After a Compute that failed: which cell, route or limit is to blame, in
    // the editors' words; empty when nothing is.
    std::string ComputeProblem() const;
    static int32_t BaseAddressIn(std::span<const uint8_t> image);

public: // file: the cells, inputs and routes (66 lines)
    void WritePartLines(std::ostream& out);
    void ReadPartLines(std::istream& in);

public: // settings report
    // Lines 1 to 4 ("Board Base address" to the command source).
    void ReportHead(std::vector<std::string>& lines) const;
    // From the CDU delay on.
    void ReportTail(std::vector<std::string>& lines) const;
};

// The board model the PAX60 and PAX66 share: 512 SVs, one TPAX60BoardParts,
// the same error text and system SVs, and the same file records, image and
// report around what the PAX66 adds through the hooks below. A model names
// itself (BoardTypeName, MatchesIdentity) and lists its unused SVs.
class TPAXBoard : public TConfigurableBoard {
public: // TConfigurableBoard
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public: // settings, for the editor
    // Copies the base address into every cell, route and the device table.
    void SetBaseAddress(int32_t base) { Parts.SetBaseAddress(base); }
    int32_t BaseAddress() const { return Parts.BaseAddress; }
    TPAX60Cell& OutputCell(int index) { return Parts.Cells[index]; }         // 0-based
    TPAX60InputCell& InputCell(int index) { return Parts.Inputs[index]; }   // 0-based
    TPAX60Route& Route(int index) { return Parts.Routes[index]; }           // 0-based
    const TPAX60Cell& OutputCell(int index) const { return Parts.Cells[index]; }
    // The DCC accessory address output cell index (0-based) answers to.
    virtual int32_t CellAddress(int index) const { return OutputCell(index).DccAddress(); }
    const TPAX60InputCell& InputCell(int index) const { return Parts.Inputs[index]; }
    const TPAX60Route& Route(int index) const { return Parts.Routes[index]; }
    const TPAX60ExtDevTable& ExtDevTable() const { return Parts.ExtDevTable; }

    // Everything else the board holds: the fields are public, the base
    // address is set through SetBaseAddress.
    TPAX60BoardParts Parts;

protected:
    // fileTag: field 0 of the board's first record.
    TPAXBoard(const std::string& name, const std::string& fileTag);
    TPAXBoard(const TPAXBoard& other);
    TPAXBoard& operator=(const TPAXBoard& other);
    ~TPAXBoard() override;

protected: // what a model adds; here nothing
    // Fields of the first record from column 6 on; returns the column the
    // shared settings (CDU delay to route base address) continue at.
    virtual unsigned PutOwnFields(unsigned column);
    virtual unsigned GetOwnFields(unsigned column);
    // Records after the 66 part lines.
    virtual void WriteOwnLines(std::ostream& out);
    virtual void ReadOwnLines(std::istream& in);
    // SVs beyond SV 430: written before the parts', read once the base
    // address is set.
    virtual void ComputeOwnSvs(const TSvWriter& image);
    virtual void DecodeOwnSvs(std::span<const uint8_t> image);
    // Report lines between the command source and the CDU delay.
    virtual void DescribeOwnSettings(std::vector<std::string>& lines) const;

private:
    std::string fileTag_;
};
