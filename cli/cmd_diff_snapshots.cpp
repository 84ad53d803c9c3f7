// varnscope-cli diff-snapshots: what changed on the layout between two
// snapshots.
#include "cli/Layouthost.h"
#include "cli/Subcommand.h"
#include "programming/Tsnapshotdiff.h"

#include <cstdio>

namespace {

int RunDiffSnapshots(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Compares two snapshots (made by backup) without touching the bus: the boards B holds and A does not "
        "(added), A holds and B does not (removed), and the boards whose settings differ (changed, with each setting that changed; for a board of another maker, each SV).");
    parser.addPositionalArgument("A", "The older snapshot folder.");
    parser.addPositionalArgument("B", "The newer snapshot folder.");
    int status = LayoutExit::kOk;
    if (!ParseSubcommand(parser, "diff-snapshots", "varnscope-cli diff-snapshots A B", args, status))
        return status;
    if (parser.positionalArguments().size() != 2) {
        PrintError("two snapshot folders A and B are required");
        return LayoutExit::kUsage;
    }
    std::vector<TSnapshotBoardChange> changes;
    std::string error;
    if (!DiffSnapshots(parser.positionalArguments()[0].toStdString(), parser.positionalArguments()[1].toStdString(),
                       changes, error)) {
        PrintError(QString::fromStdString(error));
        return LayoutExit::kFileError;
    }
    for (const TSnapshotBoardChange& c : changes) {
        const char* word = c.change == TSnapshotChange::eAdded     ? "added"
                           : c.change == TSnapshotChange::eRemoved ? "removed"
                                                                   : "changed";
        std::string where = std::to_string(c.entry.address);
        if (c.entry.serial != c.entry.address)
            where += " (serial " + std::to_string(c.entry.serial) + ")";
        std::printf("%s\t%s\t%s\n", where.c_str(), c.entry.product.c_str(), word);
        if (!c.note.empty())
            std::printf("    %s\n", c.note.c_str());
        for (const TBoardDifference& d : c.differences)
            std::printf("    %s\n", DifferenceText(d, "A", "B").c_str());
    }
    if (changes.empty())
        std::printf("The snapshots hold the same boards with the same settings\n");
    return changes.empty() ? LayoutExit::kOk : LayoutExit::kFailed;
}

const VarnscopeSubcommand kDiffSnapshots(
    "diff-snapshots", "Compare two snapshots of the layout", RunDiffSnapshots,
    "0 when the snapshots are alike; 1 when a board was added, removed or changed; 2 for "
    "wrong options or arguments; 3 when a snapshot (its manifest or a file it names) cannot "
    "be read.");

}  // namespace
