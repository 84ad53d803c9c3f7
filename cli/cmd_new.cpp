// varnscope-cli new: new boards of a type, as a configuration file.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

#include <sstream>

namespace {

constexpr int kMaxCount = TBoardData::kMaxFileBoards;  // as many as a board file loads

int RunNew(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes new boards of a type, with the model's defaults, as a configuration file to standard output.");
    parser.addOption({"type", "Board type (VELA40, ORT50, VELA80, MUV7, PAX60, TEL90, PAX66; any case).", "TYPE"});
    parser.addOption({"count", "Number of boards (default 1).", "N"});
    if (auto done = ParseArguments(parser, "new", args, 0, 0))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    const auto count = IntegerOption(parser, "count", 1);
    if (!count)
        return kExitUsage;
    if (*count > kMaxCount) {
        PrintError(QStringLiteral("--count: at most %1 boards").arg(kMaxCount));
        return kExitUsage;
    }
    TBoardData data;
    for (int i = 0; i < *count; ++i) {
        if (!data.AppendBoard(*type)) {
            PrintError(data.LastErrorText());
            return kExitError;
        }
    }
    std::ostringstream out;
    data.WriteList(*type, out);
    WriteOut(out.str());
    return kExitOk;
}

const VarnscopeSubcommand registration("new", "Write new boards of a type as a configuration file", RunNew, boardcli::kBoardFileExitStatus);

}  // namespace
