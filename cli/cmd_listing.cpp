// varnscope-cli listing: the SV listing file of one board of a configuration file.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

#include <filesystem>
#include <sstream>

namespace {

// Whether both names lead to the same existing file.
bool SameFile(const QString& a, const QString& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(boardcli::ToLocal(a), boardcli::ToLocal(b), ec) && !ec;
}

int RunListing(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Computes the SV image of one board and writes its SV listing (the board name, then every "
        "transferable SV, eight to a line) to OUT or standard output. When the calculation fails the "
        "listing is still written, the board's calculation error goes to standard error and the exit "
        "status is 1.");
    parser.addOption({"type", "Board type of the file (any case).", "TYPE"});
    parser.addOption({"index", "Board of the file, counted from 0 (default 0).", "N"});
    parser.addOption({"sw-version", "Software version of the board (0 to 255) to compute the image for.", "V"});
    parser.addOption({{"o", "output"}, "Write the listing to this file instead of standard output.", "OUT"});
    parser.addPositionalArgument("FILE", "Configuration file of that type.");
    if (auto done = ParseArguments(parser, "listing", args, 1, 1))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    const QString output = parser.value("o");
    if (parser.isSet("o") && SameFile(output, parser.positionalArguments().at(0))) {
        PrintError(QStringLiteral("%1: the listing would overwrite the configuration file").arg(output));
        return kExitError;
    }
    TBoardData data;
    bool computed = false;
    int status = kExitOk;
    TConfigurableBoard* board = ComputeBoardOfFile(parser, data, *type, computed, status);
    if (!board)
        return status;
    if (parser.isSet("o")) {
        if (!board->WriteSvListing(ToLocal(output))) {
            PrintError(board->ListingErrorText());
            return kExitError;
        }
    } else {
        std::ostringstream out;
        board->WriteSvListingTo(out);
        WriteOut(out.str());
    }
    if (!computed) {
        PrintMessage(board->SvErrorText());
        return kExitCalculationFailed;
    }
    return kExitOk;
}

const VarnscopeSubcommand registration("listing", "Write the SV listing of a board", RunListing, boardcli::kBoardFileExitStatus);

}  // namespace
