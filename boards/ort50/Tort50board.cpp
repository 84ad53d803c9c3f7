#include "boards/ort50/Tort50board.h"

namespace {

// SVs of the board's own settings.
constexpr unsigned kToFromSv = 5;
constexpr unsigned kPointDelaySv = 6;
constexpr unsigned kSensorBoardSv = 9;
constexpr unsigned kSlaveBlockSv = 10;
constexpr unsigned kPowerUpModeSv = 11;
constexpr unsigned kRouteAddressSv = 12;
constexpr unsigned kSlaveAddressSv = 14;
constexpr unsigned kInterlockAddressSv = 16;

const char* const kPowerUpTexts[3] = {
    "  Board is in STANDALONE mode after power up",
    "  Board is in SLAVE mode after power up",
    "  Board is in INTERLOCKED mode after power up",
};

const char* const kSlaveBlockTexts[5] = {
    "  Board can be used in SLAVE mode, and occupies 4 board addresses;",
    "  Board can occupy 4 slave addresses, 1-4",
    "  Board can occupy 4 slave addresses, 5-8",
    "  Board can occupy 4 slave addresses, 9-12",
    "  Board can occupy 4 slave addresses, 13-16",
};

std::string Num(int32_t value) { return std::to_string(value); }

}  // namespace

TORT50Board::TORT50Board() : TConfigurableBoard(512)
{
    SetName("ORT50 Kestrix");
    NumberParts();
    SetToFromNumbering(false);
}

TORT50Board::TORT50Board(const TORT50Board& other)
    : TConfigurableBoard(other),
      notes(other.notes),
      sensorBoardNumber(other.sensorBoardNumber),
      slaveBlock(other.slaveBlock),
      powerUpMode(other.powerUpMode),
      routeAddress(other.routeAddress),
      slaveAddress(other.slaveAddress),
      interlockAddress(other.interlockAddress),
      pointDelay(other.pointDelay),
      cells_(other.cells_),
      routes_(other.routes_),
      toFromNumbering_(other.toFromNumbering_)
{
}

TORT50Board& TORT50Board::operator=(const TORT50Board& other)
{
    if (this != &other) {
        TConfigurableBoard::operator=(other);
        notes = other.notes;
        sensorBoardNumber = other.sensorBoardNumber;
        slaveBlock = other.slaveBlock;
        powerUpMode = other.powerUpMode;
        routeAddress = other.routeAddress;
        slaveAddress = other.slaveAddress;
        interlockAddress = other.interlockAddress;
        pointDelay = other.pointDelay;
        cells_ = other.cells_;
        routes_ = other.routes_;
        toFromNumbering_ = other.toFromNumbering_;
    }
    return *this;
}

TORT50Board::~TORT50Board() = default;

// A cell's or route's number places its record in the image, so it is the
// board's to give, whatever a file line says.
void TORT50Board::NumberParts()
{
    for (int i = 0; i < kOrtCellCount; ++i)
        cells_[static_cast<size_t>(i)].number = i + 1;
    for (int i = 0; i < kOrtRouteCount; ++i)
        routes_[static_cast<size_t>(i)].number = i + 1;
}

void TORT50Board::SetToFromNumbering(bool on)
{
    toFromNumbering_ = on;
    for (auto& route : routes_)
        route.toFromMode = on;
}

std::string TORT50Board::BoardTypeName() const { return "ORT50"; }

bool TORT50Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btORT50, vendorId, deviceId, serialNumber);
}

void TORT50Board::WriteToFile(std::ostream& out)
{
    ClearFields();
    SetTextField(0, "ORT50_BOARD");
    SetTextField(1, Name());
    SetIntField(2, SerialNumber());
    SetIntField(3, toFromNumbering_ ? 1 : 0);
    SetIntField(4, sensorBoardNumber);
    SetIntField(5, slaveBlock);
    SetIntField(6, powerUpMode);
    SetIntField(7, routeAddress);
    SetIntField(8, slaveAddress);
    SetIntField(9, interlockAddress);
    SetIntField(10, pointDelay);
    WriteLine(out, kOrtMinFields);

    ClearFields();
    SetTextField(1, notes);
    WriteLine(out, kOrtMinFields);

    for (auto& cell : cells_)
        cell.WriteCellLine(out);
    for (auto& route : routes_)
        route.WriteRouteLine(out);
}

void TORT50Board::ReadFromFile(std::istream& in)
{
    ReadLine(in);
    SetName(GetTextField(1));
    SetSerialNumber(GetIntField(2));
    SetToFromNumbering(GetIntField(3) != 0);
    sensorBoardNumber = GetIntField(4);
    slaveBlock = static_cast<uint8_t>(GetIntField(5));
    powerUpMode = static_cast<uint8_t>(GetIntField(6));
    routeAddress = GetIntField(7);
    slaveAddress = GetIntField(8);
    interlockAddress = GetIntField(9);
    pointDelay = GetIntField(10);

    ReadLine(in);
    notes = GetTextField(1);

    for (size_t i = 0; i < cells_.size(); ++i) {
        cells_[i].ReadCellLine(in);
        cells_[i].number = static_cast<int32_t>(i) + 1;
    }
    for (size_t i = 0; i < routes_.size(); ++i) {
        routes_[i].number = static_cast<int32_t>(i) + 1;
        routes_[i].ReadRouteLine(in);
        routes_[i].number = static_cast<int32_t>(i) + 1;
    }
}

bool TORT50Board::ComputeSvImage()
{
    TConfigurableBoard::ComputeSvImage();
    std::vector<uint8_t> bytes = SvImage();
    TSvWriter image = ImageWriter(bytes);
    image.PutSv(kToFromSv, toFromNumbering_ ? 1 : 0, "to-from numbering");
    image.PutSv(kPointDelaySv, static_cast<uint8_t>(pointDelay & 0xFF), "point delay");
    image.PutSv(kSensorBoardSv, static_cast<uint8_t>(sensorBoardNumber & 0xFF), "sensor board number");
    image.PutSv(kSlaveBlockSv, slaveBlock, "slave block");
    image.PutSv(kPowerUpModeSv, powerUpMode, "power-up mode");
    image.PutWord(kRouteAddressSv - 1, static_cast<uint16_t>(routeAddress), "route address");
    image.PutWord(kSlaveAddressSv - 1, static_cast<uint16_t>(slaveAddress), "slave address");
    image.PutWord(kInterlockAddressSv - 1, static_cast<uint16_t>(interlockAddress), "interlock address");

    bool ok = true;
    for (auto& cell : cells_)
        ok = cell.EncodeCell(image, cells_) && ok;
    for (auto& route : routes_)
        ok = route.EncodeRoute(image, cells_) && ok;
    for (unsigned sv = 1; sv <= SvLength(); ++sv)
        SetSvByte(sv, bytes[sv - 1]);
    return ok;
}

std::string TORT50Board::SvErrorText() const
{
    // What no room would let the board hold comes first: the route's size
    // is not the problem there.
    for (const auto& route : routes_) {
        const std::string why = route.Unprogrammable(cells_);
        if (!why.empty())
            return "SV Calculation Error: route " + std::to_string(route.number) + ", " + why;
    }
    std::string text = "SV Calculation Error: one or more routes has too many entries";
    std::string routes;
    for (const auto& route : routes_) {
        if (!route.RouteFits(cells_))
            routes += (routes.empty() ? ". Route " : ", route ") + std::to_string(route.number) + " needs " +
                      std::to_string(route.BytesNeeded(cells_)) + " bytes";
    }
    if (routes.empty())
        return text;
    return text + routes + "; a route holds " + std::to_string(kOrtRouteBytes) +
           ": a point on one of this board's cells takes 1, any other point 2, the from and to buttons 2, a cascade 1";
}

bool TORT50Board::DecodeSvImage()
{
    TConfigurableBoard::DecodeSvImage();
    SetToFromNumbering(SvByte(kToFromSv) != 0);
    sensorBoardNumber = SvByte(kSensorBoardSv);
    slaveBlock = SvByte(kSlaveBlockSv);
    powerUpMode = SvByte(kPowerUpModeSv);
    pointDelay = SvByte(kPointDelaySv);
    routeAddress = SvWord(kRouteAddressSv);
    slaveAddress = SvWord(kSlaveAddressSv);
    interlockAddress = SvWord(kInterlockAddressSv);

    const std::vector<uint8_t>& image = SvImage();
    for (auto& cell : cells_)
        cell.DecodeCell(image);
    for (auto& cell : cells_)
        cell.FinishCopyCell(cells_);
    // Route decoding errors are not reported: the routes keep what could be read.
    for (auto& route : routes_)
        route.DecodeRoute(image, cells_);
    return true;
}

std::vector<unsigned> TORT50Board::SystemSvList() const { return {1, 2, 7, 8, 29}; }

std::vector<unsigned> TORT50Board::UnusedSvList() const
{
    std::vector<unsigned> list = {1, 2, 7, 8};
    for (unsigned sv = 18; sv <= 29; ++sv)
        list.push_back(sv);
    for (unsigned sv = 247; sv <= 256; ++sv)
        list.push_back(sv);
    for (unsigned sv = 509; sv <= 512; ++sv)
        list.push_back(sv);
    return list;
}

void TORT50Board::DescribeSettings(std::vector<std::string>& lines) const
{
    TConfigurableBoard::DescribeSettings(lines);

    lines.push_back("");
    lines.push_back("Cell settings: ");
    for (const auto& cell : cells_)
        cell.DescribeCell(lines);

    lines.push_back("");
    lines.push_back("Route settings: ");
    lines.push_back(toFromNumbering_ ? "  Routes use to, from button presses" : "  Routes use single button press");
    if (routeAddress == 0)
        lines.push_back("  Routes not invoked by any DCC accessory address");
    else
        lines.push_back("  DCC accessory address to activate routes: " + Num(routeAddress));
    for (const auto& route : routes_)
        route.DescribeRoute(lines);

    lines.push_back("");
    lines.push_back("Board mode settings: ");
    if (powerUpMode < 3)
        lines.push_back(kPowerUpTexts[powerUpMode]);
    lines.push_back("  DCC accessory address to enter INTERLOCKED mode: " + Num(interlockAddress));
    lines.push_back("  DCC accessory address to enter SLAVE mode: " + Num(slaveAddress));
    lines.push_back("  Sensor board number in SLAVE or INTERLOCKED mode: " + Num(sensorBoardNumber));
    lines.push_back("  Delay between point outputs = " + Num(pointDelay / 10) + "." + Num(pointDelay % 10) + " s");
    if (slaveBlock < 5)
        lines.push_back(kSlaveBlockTexts[slaveBlock]);
}
