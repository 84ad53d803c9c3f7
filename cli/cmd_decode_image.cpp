// varnscope-cli decode-image: a board's configuration from an SV image.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

#include "boards/core/Boardfactory.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

// Reads "SV<n>=<value>" lines (blank lines allowed) into the board's image.
// Returns an empty text, or what is wrong and where.
std::string ReadImage(const std::string& fileName, TConfigurableBoard& board)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open())
        return fileName + ": cannot be opened";
    std::string line;
    long lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty())
            continue;
        const std::string where = fileName + ", line " + std::to_string(lineNumber) + ": ";
        const size_t equals = line.find('=');
        const bool prefixed = line.size() > 2 && (line[0] == 'S' || line[0] == 's') && (line[1] == 'V' || line[1] == 'v');
        int32_t sv = 0;
        int32_t value = 0;
        if (!prefixed || equals == std::string::npos || !TCsvIo::TryStrictInt(line.substr(2, equals - 2), sv) ||
            !TCsvIo::TryStrictInt(line.substr(equals + 1), value)) {
            return where + "'" + line + "' is not of the form SV<n>=<value>";
        }
        if (sv < 1 || static_cast<unsigned>(sv) > board.SvLength())
            return where + "SV" + std::to_string(sv) + " is outside the image of " + std::to_string(board.SvLength()) +
                   " SVs";
        if (value < 0 || value > 255)
            return where + "value " + std::to_string(value) + " of SV" + std::to_string(sv) + " is not a byte (0 to 255)";
        board.SetSvByte(static_cast<unsigned>(sv), static_cast<uint8_t>(value));
    }
    if (in.bad())
        return fileName + ": read error";
    return {};
}

int RunDecodeImage(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads SV<n>=<value> lines (as the image subcommand prints them) into the SV image of a new board of "
        "the type, or of a board of a configuration file, decodes the image into the board's settings and "
        "writes that board as a configuration file to standard output.");
    parser.addOption({"type", "Board type (any case).", "TYPE"});
    parser.addOption({"base", "Start from a board of this configuration file instead of a new board.", "FILE"});
    parser.addOption({"index", "Board of the --base file, counted from 0 (default 0).", "N"});
    parser.addPositionalArgument("IMAGE", "File of SV<n>=<value> lines.");
    if (auto done = ParseArguments(parser, "decode-image", args, 1, 1))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    const auto index = IntegerOption(parser, "index", 0);
    if (!index)
        return kExitUsage;
    if (parser.isSet("index") && !parser.isSet("base")) {
        PrintError(std::string("decode-image: --index needs --base"));
        return kExitUsage;
    }

    TBoardData data;
    std::unique_ptr<TConfigurableBoard> fresh;
    TConfigurableBoard* board = nullptr;
    if (parser.isSet("base")) {
        const QString baseName = parser.value("base");
        if (!LoadBoards(data, *type, baseName))
            return kExitError;
        board = BoardOfFile(data, *type, *index, baseName);
        if (!board)
            return kExitError;
    } else {
        fresh = MakeBoard(*type);
        board = fresh.get();
    }

    const std::string problem = ReadImage(ToLocal(parser.positionalArguments().at(0)), *board);
    if (!problem.empty()) {
        PrintError(problem);
        return kExitError;
    }
    if (!board->DecodeSvImage())
        PrintMessage("warning: part of the image names nothing and was left empty");
    std::ostringstream out;
    board->WriteToFile(out);
    WriteOut(out.str());
    return kExitOk;
}

const VarnscopeSubcommand registration("decode-image", "Decode an SV image into a board's configuration",
                                       RunDecodeImage, boardcli::kBoardFileExitStatus);

}  // namespace
