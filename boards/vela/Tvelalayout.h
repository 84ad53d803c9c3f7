// What the VELA40 and VELA80 share: ten signals, three reverse running zones,
// the signal base address handed to every signal, and the external device
// table their conditions are reduced through, with the part of the SV image
// and of the settings report they make. Each board model owns one.
#pragma once

#include "boards/core/Svwriter.h"
#include "boards/vela/Extdevtable.h"
#include "boards/vela/Trevrunzone.h"
#include "boards/vela/Tsignal.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TConfigurableBoard;

class TVelaLayout {
public:
    static constexpr int kSignals = TSignal::kSignalsPerBoard;
    static constexpr int kZones = TRevRunZone::kZonesPerBoard;

    TVelaLayout();  // signals 1..10 and zones 1..3, base address 1

    TExtDevTable& Table() { return table_; }
    const TExtDevTable& Table() const { return table_; }
    // index 0..9 and 0..2; other indices throw std::out_of_range.
    TSignal& Signal(int index) { return signals_.at(size_t(index)); }
    const TSignal& Signal(int index) const { return signals_.at(size_t(index)); }
    TRevRunZone& Zone(int index) { return zones_.at(size_t(index)); }
    const TRevRunZone& Zone(int index) const { return zones_.at(size_t(index)); }

    int32_t BaseAddress() const { return baseAddress_; }
    // The only way the base address changes: every signal gets it too.
    void SetBaseAddress(int32_t address);

    // Signals 1..10 then zones A..C: the first distinct devices get the lowest positions.
    bool CollectDevices();
    bool EncodeSignalsAndZones(TSvWriter& image) const;
    bool DecodeSignalsAndZones(std::span<const uint8_t> image);

    // What both boards keep in their images: the base address at SV 5 and 6,
    // the device table, then signals and zones. False when a signal or zone
    // could not be encoded (or decoded).
    bool EncodeImage(TSvWriter& image) const;
    bool DecodeImage(std::span<const uint8_t> image);
    // The rest of a board's ComputeSvImage, once TConfigurableBoard's has run:
    // collects the devices, lets encodeSettings put the board's own settings
    // into a copy of the image, adds EncodeImage's part and stores the result
    // in the board. Returns EncodeImage's result.
    bool ComputeBoardImage(TConfigurableBoard& board,
                           const std::function<void(TSvWriter&)>& encodeSettings);

    // What a board shows when its ComputeSvImage fails: the part that cannot
    // be programmed ("SV Calculation Error: signal 2, ..., condition 3: sensor
    // board 300 cannot be programmed (boards 1 to 256)"), or the table's own
    // limit (vela::kSvErrorText) when every device could be but not all fit.
    std::string SvErrorText() const;

    void WriteRecords(std::ostream& out);
    void ReadRecords(std::istream& in);
    void ReportSignals(std::vector<std::string>& lines) const;
    void ReportZones(std::vector<std::string>& lines) const;
    // The closing sections of a board's settings report; the boards word the
    // zones' heading differently.
    void ReportSignalsAndZones(std::vector<std::string>& lines, const std::string& zonesHeading) const;

private:
    TExtDevTable table_;
    std::array<TSignal, kSignals> signals_;
    std::array<TRevRunZone, kZones> zones_;
    int32_t baseAddress_ = 1;
};

// Helpers of the board models.
namespace vela {
// Shown by both boards when ComputeSvImage fails.
inline constexpr const char* kSvErrorText =
    "SV Calculation Error: too many points, sensors or signals called up by board programming";
// The SVs both boards keep for themselves: never transferred.
std::vector<unsigned> SystemSvList();
// A delay in quarter seconds as the shortest decimal number of seconds: 7 -> "1.75".
std::string QuarterSecondsText(int32_t quarters);
}  // namespace vela
