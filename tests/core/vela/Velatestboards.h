// Boards with every kind of setting filled in, shared by the board tests.
#pragma once

#include "boards/vela/Tvela40board.h"
#include "boards/vela/Tvela80board.h"

#include <sstream>
#include <string>

namespace velatest {

// Fills signals and zones so that every field and set position is used, and so
// that the SV image holds all of it: next signals are never "Normal, none",
// every junction point and device has a table position, numbers fit their bytes.
template <class TBoard>
void FillLayout(TBoard& board)
{
    board.SetSignalBaseAddress(300);
    for (int i = 0; i < 10; ++i) {
        TSignal& s = board.Signal(i);
        s.SetHeadType(uint8_t(i));
        s.SetTranspondingZone(i == 3 ? 1000 : i);
        s.SetRevZoneLink(uint8_t(i % 7));
        if (i % 3 == 1) {
            s.SetType(eSignalDiverging);
            s.SetJunctionPoint(40 + i);
            s.SetNextSignalThrown(900 + i);  // outside the board: a table signal
            s.SetNextModeThrown(eNextVirtual);
            s.BlockThrownSet()->SetCondition(0, TCondition::Point(60 + i, 1, true));
            s.BlockThrownSet()->SetCondition(1, TCondition::Sensor(20, uint8_t(i + 1), 0, false));
            s.RedThrownSet()->SetCondition(4, TCondition::Signal(800, 1, false));
        }
        s.SetNextSignal(i % 2 == 0 ? 300 + (i + 1) % 10 : 700);
        s.SetNextMode(uint8_t(i % 4));
        if (s.NextMode() >= eNextAlwaysGreen)
            s.SetNextSignal(0);
        s.BlockSet().SetCondition(0, TCondition::Sensor(21, 1 + i % 16, uint8_t(i % 2), i % 2 == 0));
        s.RedSet().SetCondition(s.RedSet().Capacity() - 1, TCondition::Point(500 + i, 0, false));
        s.IsolationSet().SetCondition(2, TCondition::RevZone(uint8_t(i % 6), true));
        s.AuxSet().SetCondition(1, TCondition::Signal(300 + i % 3, 0, false));  // a table signal too
    }
    for (int z = 0; z < 3; ++z) {
        TRevRunZone& zone = board.Zone(z);
        zone.WestEastSet().SetCondition(7, TCondition::Point(600 + z, 1, false));
        zone.EastWestSet().SetCondition(0, TCondition::Sensor(22, 16, 1, true));
        zone.FreezeSet().SetCondition(5, TCondition::Signal(810 + z, 0, false));
        zone.ShuntSet().SetCondition(2, TCondition::RevZone(uint8_t(z * 2 + 1), false));
    }
}

inline TVELA40Board RichVela40()
{
    TVELA40Board b;
    b.SetSerialNumber(4660);
    FillLayout(b);
    b.SetReportSpad(true);
    b.SetIsolationDelay(7);
    b.SetBrightnessSimulation(true);
    b.SensorConfig().SetSensorBoardNumber(200);
    for (int p = 0; p < 4; ++p)
        b.SensorConfig().SetPairConfig(p, uint8_t(p % 3));
    b.HighCurrentConfig().SetDccBaseAddress(1500);
    b.HighCurrentConfig().SetOutputs1to4(1);
    b.HighCurrentConfig().SetOutputs5to8(3);
    return b;
}

inline TVELA80Board RichVela80()
{
    TVELA80Board b;
    b.SetSerialNumber(65535);
    FillLayout(b);
    b.SetReportSpad(true);
    b.SetIsolationDelay(32);
    b.SetReleaseDelay(5);
    b.SetOutputs1to4(1);
    b.SetAuxOutputs(1);
    b.SetInterrogateResponse(true);
    b.SetLocoNetSwitchCommands(true);
    b.SensorConfig().SetSensorBoardNumber(255);
    b.SensorConfig().SetOnBoardInputs(3);
    b.SensorConfig().SetExternalInputs(2);
    return b;
}

inline std::string FileText(TConfigurableBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

}  // namespace velatest
