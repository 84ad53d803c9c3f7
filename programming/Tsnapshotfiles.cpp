#include "programming/Tsnapshotfiles.h"

#include "boards/core/Atomicfile.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Csv_io.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Columns of manifest.csv, in order.
enum TManifestColumn : unsigned {
    mcSerial,
    mcAddress,
    mcVendor,
    mcDevice,
    mcProduct,
    mcType,
    mcSoftwareVersion,
    mcFile,
    mcBoardIndex,
    mcListing,
    mcTime,
    mcResult,
    mcCount
};

const char* const kHeadings[mcCount] = {"serial", "address",    "vendor", "device", "product", "type",
                                        "software version", "file", "board index", "listing", "time", "result"};

std::string Formatted(std::chrono::system_clock::time_point when, const char* format)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// A strict number field of the manifest; empty gives fallback.
bool NumberField(TCsvIo& record, unsigned column, int32_t fallback, int32_t& value)
{
    const std::string text = record.GetTextField(column);
    if (text.empty()) {
        value = fallback;
        return true;
    }
    return TCsvIo::TryStrictInt(text, value);
}

}  // namespace

namespace SnapshotFiles {

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return (fs::path(folder) / name).string();
}

std::string FolderName(std::chrono::system_clock::time_point when)
{
    return Formatted(when, "%Y-%m-%d_%H-%M-%S");
}

std::string TimeOfDay(std::chrono::system_clock::time_point when)
{
    return Formatted(when, "%H:%M:%S");
}

bool CreateSnapshotFolder(const std::string& parent, std::chrono::system_clock::time_point when, std::string& folder,
                          std::string& error)
{
    std::error_code ec;
    const fs::path base(parent.empty() ? std::string(".") : parent);
    if (!fs::is_directory(base, ec)) {
        fs::create_directories(base, ec);
        if (ec) {
            error = base.string() + ": cannot make the folder: " + ec.message();
            return false;
        }
    }
    const std::string name = FolderName(when);
    for (int n = 1; n < 100; ++n) {
        const fs::path candidate = base / (n == 1 ? name : name + "-" + std::to_string(n));
        if (fs::exists(candidate, ec))
            continue;
        if (!fs::create_directory(candidate, ec)) {
            error = candidate.string() + ": cannot make the folder: " + ec.message();
            return false;
        }
        folder = candidate.string();
        if (WriteManifest(folder, {}, error))
            return true;
        fs::remove(candidate, ec);
        return false;
    }
    error = base.string() + ": too many snapshots named " + name;
    return false;
}

std::string TypeFileName(int type)
{
    return TBoardData::ShortTypeName(static_cast<uint8_t>(type)) + ".csv";
}

std::string ListingFileName(int type, int32_t address)
{
    return (type >= 0 ? TBoardData::ShortTypeName(static_cast<uint8_t>(type)) : std::string("sv2")) + "-" +
           std::to_string(address) + ".txt";
}

std::unique_ptr<TConfigurableBoard> ListedBoard(const std::string& folder, const TSnapshotEntry& entry,
                                                std::string& error)
{
    std::vector<uint8_t> values;
    if (!ReadSvValues(JoinPath(folder, entry.listing), values, error))
        return nullptr;
    std::unique_ptr<TConfigurableBoard> board = MakeBoard(entry.type);
    if (!board) {
        error = BoardFactoryError(entry.type);
        return nullptr;
    }
    board->SetSerialNumber(entry.address);
    if (entry.softwareVersion >= 0)
        board->SetSoftwareVersion(entry.softwareVersion);
    board->ComputeSvImage();
    for (size_t i = 0; i < values.size(); ++i)
        if (board->IsTransferable(static_cast<unsigned>(i + 1)))
            board->SetSvByte(static_cast<unsigned>(i + 1), values[i]);
    board->DecodeSvImage();
    board->SetSerialNumber(entry.address);
    return board;
}

bool WriteManifest(const std::string& folder, const std::vector<TSnapshotEntry>& entries, std::string& error)
{
    return WriteFileAtomically(
        JoinPath(folder, kManifestName),
        [&entries](std::ostream& out) {
            TCsvIo record;
            record.ClearFields();
            for (unsigned c = 0; c < mcCount; ++c)
                record.SetTextField(c, kHeadings[c]);
            record.WriteLine(out, mcCount);
            record.SetQuoteTexts(true);
            for (const TSnapshotEntry& e : entries) {
                record.ClearFields();
                record.SetIntField(mcSerial, e.serial);
                if (e.address != e.serial)
                    record.SetIntField(mcAddress, e.address);
                record.SetIntField(mcVendor, e.vendor);
                record.SetIntField(mcDevice, e.device);
                record.SetTextField(mcProduct, e.product);
                record.SetTextField(mcType, e.IsFamily() ? TBoardData::ShortTypeName(static_cast<uint8_t>(e.type)) : "");
                if (e.softwareVersion >= 0)
                    record.SetIntField(mcSoftwareVersion, e.softwareVersion);
                record.SetTextField(mcFile, e.file);
                if (e.boardIndex >= 0)
                    record.SetIntField(mcBoardIndex, e.boardIndex);
                record.SetTextField(mcListing, e.listing);
                record.SetTextField(mcTime, e.time);
                record.SetTextField(mcResult, e.result);
                record.WriteLine(out, mcCount);
            }
        },
        error);
}

bool ReadManifest(const std::string& folder, std::vector<TSnapshotEntry>& entries, std::string& error)
{
    entries.clear();
    const std::string fileName = JoinPath(folder, kManifestName);
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = fileName + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    TCsvFileReading reading(in);
    TCsvIo record;
    long line = 0;
    try {
        if (record.ReadLine(in) == 0 || record.GetTextField(mcSerial) != kHeadings[mcSerial]) {
            error = fileName + ": not a snapshot manifest (no heading line)";
            return false;
        }
        ++line;
        while (record.ReadLine(in) != 0) {
            ++line;
            TSnapshotEntry e;
            const std::string type = record.GetTextField(mcType);
            e.type = type.empty() ? -1 : BoardTypeFromName(type);
            const bool numbers = NumberField(record, mcSerial, 0, e.serial) &&
                                 NumberField(record, mcAddress, e.serial, e.address) &&
                                 NumberField(record, mcVendor, 0, e.vendor) &&
                                 NumberField(record, mcDevice, 0, e.device) &&
                                 NumberField(record, mcSoftwareVersion, -1, e.softwareVersion) &&
                                 NumberField(record, mcBoardIndex, -1, e.boardIndex);
            if (!numbers || (!type.empty() && e.type < 0) || e.address < 0 || e.address > 65535) {
                error = fileName + ", line " + std::to_string(line) + ": not a board line of a snapshot";
                return false;
            }
            e.product = record.GetTextField(mcProduct);
            e.file = record.GetTextField(mcFile);
            e.listing = record.GetTextField(mcListing);
            e.time = record.GetTextField(mcTime);
            e.result = record.GetTextField(mcResult);
            // A file name is taken inside the snapshot only.
            for (const std::string& name : {e.file, e.listing}) {
                if (name.find_first_of("/\\") != std::string::npos || name == "..") {
                    error = fileName + ", line " + std::to_string(line) + ": the file " + TCsvIo::QuotedInput(name) +
                            " lies outside the snapshot";
                    return false;
                }
            }
            if (e.IsRead() && (e.file.empty() || e.listing.empty() || (e.IsFamily() && e.boardIndex < 0))) {
                error = fileName + ", line " + std::to_string(line) + ": a board read without its file";
                return false;
            }
            entries.push_back(std::move(e));
        }
    } catch (const TCsvConversionError& e) {
        error = fileName + ", line " + std::to_string(line + 1) + ": " + e.what();
        return false;
    }
    return true;
}

bool WriteSvValues(const std::string& fileName, const std::string& boardName, const std::vector<uint8_t>& values,
                   std::string& error)
{
    return WriteFileAtomically(
        fileName,
        [&](std::ostream& out) {
            out << "Board name = " << boardName << "\r\n";
            out << "SV Settings:\r\n";
            for (size_t i = 0; i < values.size(); ++i) {
                out << "SV" << i + 1 << "=" << static_cast<unsigned>(values[i]) << ";  ";
                if ((i + 1) % 8 == 0)
                    out << "\r\n";
            }
            if (values.size() % 8 != 0)
                out << "\r\n";
        },
        error);
}

bool ReadSvValues(const std::string& fileName, std::vector<uint8_t>& values, std::string& error)
{
    constexpr int kMaxSv = 65535;
    values.clear();
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = fileName + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    std::string text;
    long line = 0;
    bool settings = false;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (!settings) {
            settings = text == "SV Settings:";
            continue;
        }
        std::istringstream words(text);
        std::string word;
        while (words >> word) {
            const auto fail = [&] {
                error = fileName + ", line " + std::to_string(line) + ": " + TCsvIo::QuotedInput(word) +
                        " is not SV<n>=<value>;";
                return false;
            };
            const size_t equals = word.find('=');
            if (word.size() < 5 || word.compare(0, 2, "SV") != 0 || equals == std::string::npos || word.back() != ';')
                return fail();
            int32_t sv = 0;
            int32_t value = 0;
            if (!TCsvIo::TryStrictInt(word.substr(2, equals - 2), sv) ||
                !TCsvIo::TryStrictInt(word.substr(equals + 1, word.size() - equals - 2), value) || sv < 1 ||
                sv > kMaxSv || value < 0 || value > 255)
                return fail();
            if (values.size() < static_cast<size_t>(sv))
                values.resize(static_cast<size_t>(sv), 0);
            values[static_cast<size_t>(sv) - 1] = static_cast<uint8_t>(value);
        }
    }
    if (!settings) {
        error = fileName + ": not an SV listing (no \"SV Settings:\" line)";
        return false;
    }
    return true;
}

}  // namespace SnapshotFiles
