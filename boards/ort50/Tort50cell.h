// A panel cell of the panel controller: a place on the operator's panel with
// two pushbuttons and LEDs showing a point, sensor, signal, zone, interlock,
// relay or the board's mode. The board holds 30; each is six SVs.
#pragma once

#include "boards/core/Csv_io.h"
#include "boards/core/Svwriter.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// Cell types
constexpr uint8_t kOrtCellUndefined = 0;
constexpr uint8_t kOrtCellPoint = 1;
constexpr uint8_t kOrtCellSensor = 2;
constexpr uint8_t kOrtCellVelaSignal = 3;
constexpr uint8_t kOrtCellVelaZone = 4;
constexpr uint8_t kOrtCellSe8cRedGreen = 5;
constexpr uint8_t kOrtCellSe8cRedGreenAmber = 6;
constexpr uint8_t kOrtCellInterlock = 7;
constexpr uint8_t kOrtCellCopy = 8;
constexpr uint8_t kOrtCellBoardMode = 9;
constexpr uint8_t kOrtCellRelay = 10;
constexpr int kOrtCellTypeCount = 11;

constexpr uint8_t kOrtActionExecuteRoute = 19;
constexpr int kOrtActionCount = 20;

constexpr int kOrtCellCount = 30;
constexpr int kOrtRouteCount = 24;
constexpr unsigned kOrtMinFields = 18;

class TORT50Cell;
using TORT50Cells = std::array<TORT50Cell, kOrtCellCount>;

// Names shown in lists and reports; "Unknown" outside the tables.
std::string Ort50CellTypeName(int type);
std::string Ort50ActionName(int action);
std::string Ort50AspectName(int aspect);

class TORT50Cell : public TCsvIo {
public:
    explicit TORT50Cell(int32_t number = 1);

    // File line, 18 fields, texts unquoted.
    void WriteCellLine(std::ostream& out);
    void ReadCellLine(std::istream& in);

    // The cell's six bytes in the whole image (SV n is image[n - 1]). A copy
    // cell whose copied cell is not 1 to 30 is first pointed at cell 1.
    bool EncodeCell(TSvWriter image, const TORT50Cells& cells);
    void DecodeCell(std::span<const uint8_t> image);
    // After all cells are decoded: a copy cell takes its cascade or aspect
    // from the option byte, according to the copied cell's type.
    void FinishCopyCell(const TORT50Cells& cells);
    static uint32_t FirstSv(int32_t number) { return 30 + 6 * static_cast<uint32_t>(number - 1); }

    // The type byte 5 is read as: the copied cell's for a copy cell.
    int EffectiveType(const TORT50Cells& cells) const;
    // Cascade code of byte 5 without the initialise bits.
    uint8_t CascadeCode() const;

    std::string CellListLine() const;
    void DescribeCell(std::vector<std::string>& lines) const;

public:  // fields, edited in place by the cell editor
    int32_t number = 1;  // 1 to 30, set by the board
    std::string description = "undefined";
    uint8_t type = kOrtCellUndefined;
    int32_t address = 1;  // by type: DCC address, board number, or the copied cell
    uint8_t actionA = 0;
    uint8_t actionB = 0;
    int32_t routeA = 1;  // route 1 to 24 run by action 19
    int32_t routeB = 1;
    uint8_t initialise = 0;       // point cells: 0 none, 1 closed, 2 thrown at power up
    int32_t interlockToken = 0;   // point cells: 0 none, 1 to 4
    int32_t cascadeCell = 0;      // the cell this one follows, 1 to 30
    uint8_t cascadeMode = 0;      // 0 none, 1 follow when closed, 2 when thrown
    bool usesTurnoutFeedback = false;
    bool flashUntilKnown = false;  // sensor cells
    int32_t sensorNumber = 1;      // sensor cells, 1 to 16
    uint8_t aspect = 1;            // signal cells: LED arrangement 0 to 4
    bool flashWhenLocked = false;  // zone cells
    int32_t interlockNumber = 1;   // interlock cells, 1 to 4
    int32_t relayNumber = 1;       // relay cells, 1 to 4
    uint8_t optionByte = 0;        // byte 5 as last decoded; finishes copy cells
};

// The lowest-numbered point cell at this point's address: its number, or 0.
int32_t PointCellFor(int32_t point, const TORT50Cells& cells);
