// varnscope-cli read: reads a board's SVs back into its configuration and
// saves the board list.
#include "cli/Progboardfile.h"
#include "cli/Progtransfer.h"
#include "cli/Subcommand.h"

#include <cstdio>

namespace {

int RunRead(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads the board of configured board INDEX of FILE (type TYPE) back into its configuration and saves the "
        "list to OUT (default FILE). A failed read writes no file.");
    AddBoardTransferOptions(parser, "The board's position in FILE, from 0.");
    parser.addOption({{"o", "output"}, "Where the list is saved (default FILE).", "OUT"});
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "read",
                         "varnscope-cli read --port DEV [--interface KIND] --type TYPE FILE --index N [-o OUT]", args,
                         status))
        return status;

    TCliTransferOptions options;
    QString error;
    if (!ReadLinkOptions(parser, options.link, error)) {
        // error says why
    } else if (!parser.isSet("type")) {
        error = "--type is required";
    } else if (!parser.isSet("index")) {
        error = "--index is required";
    } else if (parser.positionalArguments().size() != 1) {
        error = "one configuration FILE is required";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    const QString file = parser.positionalArguments().first();
    const QString out = parser.isSet("output") ? parser.value("output") : file;
    TBoardData boards;
    uint8_t type = 0;
    int index = 0;
    if (!LoadCliBoard(boards, parser.value("type"), file, parser.value("index"), type, index))
        return ProgExit::kUsage;
    ReadTransferOutputOptions(parser, options);
    status = RunCliTransfer(TProgramMode::eRead, *boards.BoardForChange(type, index), options);
    if (status != ProgExit::kOk)
        return status;
    if (!boards.SaveListAs(type, out.toStdString())) {
        PrintError("cannot save " + out + ": " + QString::fromStdString(boards.LastErrorText()));
        return ProgExit::kFailed;
    }
    std::printf("Saved %s\n", qPrintable(out));
    return ProgExit::kOk;
}

const VarnscopeSubcommand kRead("read", "Read a board's SVs back into its configuration file", RunRead,
    "0 after Board data read completed successfully!; 1 when the transfer fails, the port "
    "fails while open, or OUT cannot be saved; 2 for wrong options, an unreadable FILE, "
    "no board N, or a serial number outside 1 to 65535; 4 when the port cannot be opened.");

}  // namespace
