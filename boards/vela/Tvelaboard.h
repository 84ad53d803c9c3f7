// What the VELA40 and VELA80 models share: the signals, zones and device
// table (TVelaLayout), the settings both keep at the same SVs (report of a
// signal passed at danger, power isolation delay, lamp brightness) and the
// same place in their files (name, serial number, signal base address, the
// description), the SV error text and the SVs kept by the board. A model adds
// its own fields, records and SVs through the hooks below.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "boards/vela/Tvelalayout.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

class TVelaBoard : public TConfigurableBoard {
public:
    static constexpr unsigned kSvCount = 512;

    ~TVelaBoard() override;

public:  // TConfigurableBoard
    // The board record (name, serial number, signal base address, report of a
    // signal passed at danger, isolation delay, then the model's fields), the
    // description record, the model's records, then signals, zones and devices.
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;

public:  // signals, zones and their device table
    TSignal& Signal(int index) { return layout_.Signal(index); }  // 0..9
    const TSignal& Signal(int index) const { return layout_.Signal(index); }
    TRevRunZone& Zone(int index) { return layout_.Zone(index); }  // 0..2
    const TRevRunZone& Zone(int index) const { return layout_.Zone(index); }
    TExtDevTable& ExtDevTable() { return layout_.Table(); }
    const TExtDevTable& ExtDevTable() const { return layout_.Table(); }
    int32_t SignalBaseAddress() const { return layout_.BaseAddress(); }
    void SetSignalBaseAddress(int32_t address) { layout_.SetBaseAddress(address); }

public:  // settings both models have
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& text) { description_ = text; }
    bool ReportSpad() const { return reportSpad_ != 0; }
    void SetReportSpad(bool on) { reportSpad_ = on ? 1 : 0; }
    int32_t IsolationDelay() const { return isolationDelay_; }  // quarter seconds, 0..32
    void SetIsolationDelay(int32_t quarters) { isolationDelay_ = quarters; }
    bool BrightnessSimulation() const { return brightness_ != 0; }
    void SetBrightnessSimulation(bool on) { brightness_ = on ? 1 : 0; }

protected:
    // recordName: the first field of the board record ("VELA40_BOARD").
    TVelaBoard(const char* name, const char* recordName);
    TVelaBoard(const TVelaBoard& other) = default;
    TVelaBoard& operator=(const TVelaBoard& other) = default;

    // The model's fields of the board record, from field 6 on.
    virtual void PutOwnFields() = 0;
    virtual void GetOwnFields() = 0;
    // The model's records between the description and the signals.
    virtual void WriteOwnRecords(std::ostream& out) = 0;
    virtual void ReadOwnRecords(std::istream& in) = 0;
    // The model's SVs; the shared ones are in place already.
    virtual void EncodeOwnSettings(TSvWriter& image) const = 0;
    virtual void DecodeOwnSettings(std::span<const uint8_t> image) = 0;

    // The settings report's opening lines: the board's, the signal base address, the description.
    void DescribeHead(std::vector<std::string>& lines) const;

    TVelaLayout layout_;  // device table, signals, zones, signal base address
    std::string description_ = "Unassigned";
    uint8_t reportSpad_ = 0;
    int32_t isolationDelay_ = 8;
    uint8_t brightness_ = 0;

private:
    const char* recordName_;
};
