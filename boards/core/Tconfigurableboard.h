// The abstract board: name, serial number (its bus address), software version
// and SV image, and the contract through which the collection, the windows and
// the programming sequencer treat every model alike.
//
// How a board model plugs in
// --------------------------
// 1. Derive from TConfigurableBoard. In the constructor pass the image length
//    (512, or 64 for the TEL90) to the base constructor and set the model's
//    default name with SetName(). Quote texts are already on.
// 2. Override, with these exact signatures:
//      std::string BoardTypeName() const            the short type name, e.g. "ORT50"
//      bool MatchesIdentity(vendor, device, serial) const
//                                                   usually: return MatchesIdentityOf(btORT50, vendorId, deviceId, serialNumber);
//      void WriteToFile(std::ostream&)              the board's lines (ClearFields / Set* / WriteLine)
//      void ReadFromFile(std::istream&)             exactly the lines WriteToFile wrote (ReadLine / Get*);
//                                                   strict numbers inside texts: TCsvIo::StrictInt (throws,
//                                                   the collection reports file and line and stops loading)
//      bool ComputeSvImage()                        call TConfigurableBoard::ComputeSvImage() first
//      std::string SvErrorText() const
//      bool DecodeSvImage()                         call TConfigurableBoard::DecodeSvImage() first
//      std::vector<unsigned> SystemSvList() const   {1, 2, 7, 8, 29}
//      std::vector<unsigned> UnusedSvList() const
//      void DescribeSettings(std::vector<std::string>&) const
//                                                   call the base first (three lines), then append
//    WriteSvListing is not overridden. Image access: SvByte/SetSvByte and the
//    low-byte-first SvWord/SetSvWord, SV numbers counted from 1.
// 3. If the model edits a copy, give it a copy constructor / assignment that
//    calls the base's (name, serial, software version, image).
// 4. Fill the model's row in boards/core/Boardfactory.cpp: un-comment its
//    #include line and replace nullptr in its row by MakeModel<TYourBoard>.
//    Nothing else in the framework names a model.
#pragma once

#include "boards/core/Csv_io.h"
#include "boards/core/Svwriter.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Board types as the collection indexes its lists; the value travels as 8 bits.
enum TBoardType : uint8_t {
    btVELA40 = 0,
    btORT50 = 1,
    btVELA80 = 2,
    btMUV7 = 3,
    btPAX60 = 4,
    btTEL90 = 5,
    btPAX66 = 6,
};
constexpr int kBoardTypeCount = 7;

class TConfigurableBoard : public TCsvIo {
public:  // virtual operations, in slot order
    virtual ~TConfigurableBoard();
    virtual std::string BoardTypeName() const = 0;
    // An identify reply with these values comes from this board.
    virtual bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const = 0;
    virtual void WriteToFile(std::ostream& out) = 0;
    virtual void ReadFromFile(std::istream& in) = 0;
    // Base: every image byte 0, then SV 3/4 = serial number low/high byte; true.
    virtual bool ComputeSvImage();
    virtual std::string SvErrorText() const = 0;
    // Base: serial number = SV 3 + 256 * SV 4; true.
    virtual bool DecodeSvImage();
    // Writes the SV listing file (atomically); false with ListingErrorText()
    // when the file cannot be written.
    virtual bool WriteSvListing(const std::string& fileName);
    virtual std::vector<unsigned> SystemSvList() const = 0;
    virtual std::vector<unsigned> UnusedSvList() const = 0;
    // Base: "Board Type: ", "Serial number: ", "Board name: " lines.
    virtual void DescribeSettings(std::vector<std::string>& lines) const;

public:  // board data
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int32_t SerialNumber() const { return serialNumber_; }
    void SetSerialNumber(int32_t serial) { serialNumber_ = serial; }
    int32_t SoftwareVersion() const { return softwareVersion_; }
    void SetSoftwareVersion(int32_t value) { softwareVersion_ = value; }
    // Serial number in 1..65535; anything else (0 on a new board) is not set yet.
    bool IsSerialValid() const;

public:  // SV image; SV n is image byte n - 1
    unsigned SvLength() const { return static_cast<unsigned>(image_.size()); }
    // SV numbers outside 1..SvLength read as 0 and are not stored.
    uint8_t SvByte(unsigned sv) const;
    void SetSvByte(unsigned sv, uint8_t value);
    // Values wider than a byte: low byte at sv, high byte at sv + 1.
    uint16_t SvWord(unsigned sv) const;
    void SetSvWord(unsigned sv, uint16_t value);
    const std::vector<uint8_t>& SvImage() const { return image_; }
    // Computes the image (as ComputeSvImage) and says what each SV holds, by
    // the same walk: one entry per SV (SV n at n - 1), kUnusedSvName for an SV
    // the model never writes. ok is ComputeSvImage's result.
    std::vector<std::string> NameSvImage(bool* ok = nullptr);
    static constexpr const char* kUnusedSvName = "unused";
    // The writer a model's image walk puts image (a copy of SvImage() or a
    // part of it) through; it names what it writes while NameSvImage runs.
    TSvWriter ImageWriter(std::span<uint8_t> image) const { return TSvWriter(image, svNames_); }

public:  // transfer and listing
    // Neither a system SV nor an unused SV of the model.
    bool IsTransferable(unsigned sv) const;
    // The next block of one or four SVs to transfer after the block starting at
    // sv of blockSize SVs (sv 0: start of the walk). Returns its first SV and
    // sets blockSize to 1 or 4; past the end blockSize is 0.
    unsigned NextSvBlock(unsigned sv, unsigned& blockSize) const;
    // The listing itself, to any stream (CR LF line ends).
    void WriteSvListingTo(std::ostream& out) const;
    const std::string& ListingErrorText() const { return listingError_; }
    // "<serial>\t<type>\t <name>", or "not set yet\t..." for an invalid serial.
    std::string ListLine() const;

public:  // identity of the board types
    // The vendor and device ids a board of this type answers with.
    static bool IdentityAccepted(uint8_t boardType, int32_t vendorId, int32_t deviceId);

protected:
    explicit TConfigurableBoard(unsigned svLength = 0);
    TConfigurableBoard(const TConfigurableBoard& other);
    TConfigurableBoard& operator=(const TConfigurableBoard& other);

    // For MatchesIdentity: accepted ids of the type and the board's own serial.
    bool MatchesIdentityOf(uint8_t boardType, int32_t vendorId, int32_t deviceId, int32_t serialNumber) const;
    void SetSvLength(unsigned length) { image_.assign(length, 0); }

private:
    std::string name_ = "Unknown";
    int32_t serialNumber_ = 0;
    int32_t softwareVersion_ = 1;
    std::vector<uint8_t> image_;
    std::string listingError_;
    std::vector<std::string>* svNames_ = nullptr;  // only while NameSvImage runs
};
