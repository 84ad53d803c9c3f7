// varnscope-cli image: the SV image of one board of a configuration file.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

#include <string>

namespace {

int RunImage(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Computes the SV image of one board and prints every SV as SV<n>=<value> (decimal), n from 1 to the "
        "image length. When the calculation fails the image is still printed, the board's calculation error "
        "goes to standard error and the exit status is 1.");
    parser.addOption({"type", "Board type of the file (any case).", "TYPE"});
    parser.addOption({"index", "Board of the file, counted from 0 (default 0).", "N"});
    parser.addOption({"sw-version", "Software version of the board (0 to 255) to compute the image for.", "V"});
    parser.addPositionalArgument("FILE", "Configuration file of that type.");
    if (auto done = ParseArguments(parser, "image", args, 1, 1))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    TBoardData data;
    bool computed = false;
    int status = kExitOk;
    TConfigurableBoard* board = ComputeBoardOfFile(parser, data, *type, computed, status);
    if (!board)
        return status;
    std::string text;
    for (unsigned sv = 1; sv <= board->SvLength(); ++sv)
        text += "SV" + std::to_string(sv) + "=" + std::to_string(board->SvByte(sv)) + "\n";
    WriteOut(text);
    if (!computed) {
        PrintMessage(board->SvErrorText());
        return kExitCalculationFailed;
    }
    return kExitOk;
}

const VarnscopeSubcommand registration("image", "Print the SV image of a board", RunImage, boardcli::kBoardFileExitStatus);

}  // namespace
