// varnscope-cli program: writes a configured board's SV image into the board
// over LocoNet, verifying every block, then makes the board reconfigure.
#include "cli/Progboardfile.h"
#include "cli/Progtransfer.h"
#include "cli/Subcommand.h"

namespace {

int RunProgram(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Programs board INDEX of the configuration FILE of board type TYPE into the board with its serial number.");
    AddBoardTransferOptions(parser, "The board's position in FILE, from 0 (default 0).");
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "program",
                         "varnscope-cli program --port DEV [--interface KIND] --type TYPE FILE [--index N] [--log]",
                         args, status))
        return status;

    TCliTransferOptions options;
    QString error;
    if (!ReadLinkOptions(parser, options.link, error)) {
        // error says why
    } else if (!parser.isSet("type")) {
        error = "--type is required";
    } else if (parser.positionalArguments().size() != 1) {
        error = "one configuration FILE is required";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    TBoardData boards;
    uint8_t type = 0;
    int index = 0;
    if (!LoadCliBoard(boards, parser.value("type"), parser.positionalArguments().first(), parser.value("index"), type,
                      index))
        return ProgExit::kUsage;
    ReadTransferOutputOptions(parser, options);
    return RunCliTransfer(TProgramMode::eWrite, *boards.BoardAt(type, index), options);
}

const VarnscopeSubcommand kProgram("program", "Program a configured board's SVs into the board", RunProgram,
    "0 after Programming Completed Successfully!; 1 when the transfer fails or the port "
    "fails while open; 2 for wrong options, an unreadable FILE, no board N, or a serial "
    "number outside 1 to 65535; 4 when the port cannot be opened.");

}  // namespace
