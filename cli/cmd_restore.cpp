// varnscope-cli restore: boards programmed from a snapshot.
#include "cli/Layouthost.h"
#include "cli/Subcommand.h"

#include <algorithm>
#include <cstdio>

namespace {

int RunRestore(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Programs the boards named by --serial (default: every board of the family SNAPSHOT holds as read) from the "
        "snapshot, checking every block from the board's reply and making the board reconfigure, as program does.");
    AddLayoutOptions(parser);
    parser.addOption({"serial", "A board to restore, by the serial number (or address) it answers at; repeatable.",
                      "N"});
    parser.addPositionalArgument("SNAPSHOT", "The snapshot folder (made by backup).");
    int status = LayoutExit::kOk;
    if (!ParseSubcommand(parser, "restore",
                         "varnscope-cli restore --port DEV [--interface KIND] SNAPSHOT [--serial N]...", args, status))
        return status;
    TCliLinkOptions link;
    QString error;
    std::vector<int> serials;
    if (ReadLinkOptions(parser, link, error) && parser.positionalArguments().size() != 1)
        error = "one SNAPSHOT folder is required";
    for (const QString& text : parser.values("serial")) {
        int serial = 0;
        if (!ReadSerialNumber(text, serial))
            error = "--serial must be a serial number from 1 to 65535";
        serials.push_back(serial);
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return LayoutExit::kUsage;
    }
    TCliLayout layout;
    if (!layout.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    std::string why;
    if (!layout.Engine().StartRestore(parser.positionalArguments().first().toStdString(), serials, why)) {
        PrintError(QString::fromStdString(why));
        return LayoutExit::kFileError;
    }
    if (!layout.Wait())
        return LayoutExit::kFailed;
    const auto& boards = layout.Engine().Boards();
    const bool failed = std::any_of(boards.begin(), boards.end(), [](const TLayoutBoard& b) {
        return b.state == TLayoutBoardState::eFailed || b.state == TLayoutBoardState::eNotAnswering;
    });
    return failed ? LayoutExit::kFailed : LayoutExit::kOk;
}

const VarnscopeSubcommand kRestore(
    "restore", "Program boards from a snapshot", RunRestore,
    "0 when every board named was restored; 1 when a board failed or the port fails while "
    "open; 2 for wrong options or arguments; 3 when the snapshot cannot be read or names no "
    "board at --serial N; 4 when the port cannot be opened.");

}  // namespace
