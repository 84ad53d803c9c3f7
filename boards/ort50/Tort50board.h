// The panel controller ORT50: 30 panel cells, 24 routes and the settings of
// its modes (standalone, slave, interlocked).
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "boards/ort50/Tort50cell.h"
#include "boards/ort50/Tort50route.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class TORT50Board : public TConfigurableBoard {
public:
    TORT50Board();
    TORT50Board(const TORT50Board& other);
    TORT50Board& operator=(const TORT50Board& other);
    ~TORT50Board() override;

public:  // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    // 56 lines: board, notes, 30 cells, 24 routes.
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    // False when a route needs more than its twelve SVs; the image is whole anyway.
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public:  // parts
    TORT50Cells& Cells() { return cells_; }
    const TORT50Cells& Cells() const { return cells_; }
    TORT50Cell& CellAt(int index) { return cells_[static_cast<size_t>(index)]; }
    const TORT50Cell& CellAt(int index) const { return cells_[static_cast<size_t>(index)]; }
    TORT50Route& RouteAt(int index) { return routes_[static_cast<size_t>(index)]; }
    const TORT50Route& RouteAt(int index) const { return routes_[static_cast<size_t>(index)]; }

    // Routes chosen by a from and a to button; the board and every route keep the flag.
    bool ToFromNumbering() const { return toFromNumbering_; }
    void SetToFromNumbering(bool on);

public:  // mode settings
    std::string notes = "Undefined";
    int32_t sensorBoardNumber = 10;  // in slave or interlocked mode, 0 to 255
    uint8_t slaveBlock = 1;          // 1 to 4: slave addresses 1-4 ... 13-16; 0: any four
    uint8_t powerUpMode = 0;         // 0 standalone, 1 slave, 2 interlocked
    int32_t routeAddress = 1000;     // DCC accessory address that runs routes; 0 none
    int32_t slaveAddress = 1025;     // DCC accessory address that enters slave mode
    int32_t interlockAddress = 1027; // DCC accessory address that enters interlocked mode
    int32_t pointDelay = 10;         // between point outputs [0.1 s], 0 to 250

private:
    void NumberParts();

    TORT50Cells cells_;
    std::array<TORT50Route, kOrtRouteCount> routes_;
    bool toFromNumbering_ = false;
};
