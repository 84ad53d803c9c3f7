// varnscope-cli verify-all: every board of a snapshot read again and
// compared with it; boards on the bus the snapshot does not hold are new.
#include "cli/Layouthost.h"
#include "cli/Subcommand.h"

#include <algorithm>
#include <cstdio>

namespace {

int RunVerifyAll(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Discovers the boards on LocoNet, reads every board SNAPSHOT holds as read and compares it with the snapshot, "
        "without writing anything. Prints one line per board (same, different with each setting that differs "
        "(each SV for a board of another maker), not answering, new, failed).");
    AddLayoutOptions(parser);
    parser.addPositionalArgument("SNAPSHOT", "The snapshot folder (made by backup).");
    int status = LayoutExit::kOk;
    if (!ParseSubcommand(parser, "verify-all", "varnscope-cli verify-all --port DEV [--interface KIND] SNAPSHOT", args,
                         status))
        return status;
    TCliLinkOptions link;
    QString error;
    if (ReadLinkOptions(parser, link, error) && parser.positionalArguments().size() != 1)
        error = "one SNAPSHOT folder is required";
    if (!error.isEmpty()) {
        PrintError(error);
        return LayoutExit::kUsage;
    }
    TCliLayout layout;
    if (!layout.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    std::string why;
    if (!layout.Engine().StartVerify(parser.positionalArguments().first().toStdString(), why)) {
        PrintError(QString::fromStdString(why));
        return LayoutExit::kFileError;
    }
    if (!layout.Wait())
        return LayoutExit::kFailed;
    const auto& boards = layout.Engine().Boards();
    const auto any = [&boards](std::initializer_list<TLayoutBoardState> states) {
        return std::any_of(boards.begin(), boards.end(), [&states](const TLayoutBoard& b) {
            return std::find(states.begin(), states.end(), b.state) != states.end();
        });
    };
    if (any({TLayoutBoardState::eDifferent, TLayoutBoardState::eNotAnswering, TLayoutBoardState::eNew}))
        return LayoutExit::kFailed;
    if (any({TLayoutBoardState::eFailed}))
        return LayoutExit::kReadFailed;
    return LayoutExit::kOk;
}

const VarnscopeSubcommand kVerifyAll(
    "verify-all", "Compare every board on LocoNet with a snapshot", RunVerifyAll,
    "0 when every board of the snapshot is the same and none is new; 1 when a board differs, "
    "does not answer or is new, or the port fails while open; 2 for wrong options or "
    "arguments; 3 when the snapshot (its manifest or a file it names) cannot be read; 4 when "
    "the port cannot be opened; 5 when a board could not be read to the end and none differs.");

}  // namespace
