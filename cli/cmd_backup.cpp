// varnscope-cli backup: a snapshot of every board on the bus.
#include "cli/Layouthost.h"
#include "cli/Subcommand.h"

#include <algorithm>
#include <cstdio>

namespace {

int RunBackup(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Discovers the boards on LocoNet and reads every one that answers into a new snapshot folder under DIR, "
        "named after the date and time: each board of the family into its type's configuration file, every other "
        "SV format 2 board into an SV listing, and manifest.csv naming each board and its result.");
    AddLayoutOptions(parser);
    parser.addOption({{"o", "output"}, "The folder the snapshot folder is made in (default: the current folder).",
                      "DIR"});
    parser.addOption({"svs", "SVs 1 to N are listed for a board of another maker (default 256).", "N"});
    int status = LayoutExit::kOk;
    if (!ParseSubcommand(parser, "backup",
                         "varnscope-cli backup --port DEV [--interface KIND] [-o DIR] [--svs N] [--products FILE]",
                         args, status))
        return status;
    TCliLinkOptions link;
    QString error;
    int svs = TLayoutEngine::kDefaultSvCount;
    if (!ReadLinkOptions(parser, link, error)) {
        // error says why
    } else if (!parser.positionalArguments().isEmpty()) {
        error = "backup takes no arguments";
    } else if (parser.isSet("svs")) {
        bool ok = false;
        svs = parser.value("svs").toInt(&ok);
        if (!ok || svs < 1 || svs > 65535)
            error = "--svs must be a number of SVs from 1 to 65535";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return LayoutExit::kUsage;
    }
    TCliLayout layout;
    layout.Engine().SetSvCount(svs);
    if (!layout.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    std::string why;
    // The folder is made and found writable before anything is sent.
    if (!layout.Engine().StartBackup(parser.isSet("output") ? parser.value("output").toStdString() : ".", why)) {
        PrintError(QString::fromStdString(why));
        return LayoutExit::kFileError;
    }
    std::printf("Snapshot: %s\n", layout.Engine().Folder().c_str());
    std::fflush(stdout);
    if (!layout.Wait())
        return LayoutExit::kFailed;
    const auto& boards = layout.Engine().Boards();
    const bool allRead = std::all_of(boards.begin(), boards.end(),
                                     [](const TLayoutBoard& b) { return b.state == TLayoutBoardState::eRead; });
    return allRead ? LayoutExit::kOk : LayoutExit::kFailed;
}

const VarnscopeSubcommand kBackup(
    "backup", "Read every board on LocoNet into a snapshot folder", RunBackup,
    "0 when every board found was read; 1 when a board failed or the port fails while open; 2 "
    "for wrong options or arguments; 3 when the snapshot folder cannot be made or written; 4 "
    "when the port cannot be opened.");

}  // namespace
