// varnscope-cli report: the settings report of one board of a configuration file.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

#include <string>
#include <vector>

namespace {

int RunReport(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription("Prints the settings report of one board, one line per report line.");
    parser.addOption({"type", "Board type of the file (any case).", "TYPE"});
    parser.addOption({"index", "Board of the file, counted from 0 (default 0).", "N"});
    parser.addPositionalArgument("FILE", "Configuration file of that type.");
    if (auto done = ParseArguments(parser, "report", args, 1, 1))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    const auto index = IntegerOption(parser, "index", 0);
    if (!index)
        return kExitUsage;
    const QString fileName = parser.positionalArguments().at(0);
    TBoardData data;
    if (!LoadBoards(data, *type, fileName))
        return kExitError;
    TConfigurableBoard* board = BoardOfFile(data, *type, *index, fileName);
    if (!board)
        return kExitError;
    std::vector<std::string> lines;
    board->DescribeSettings(lines);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    WriteOut(text);
    return kExitOk;
}

const VarnscopeSubcommand registration("report", "Print the settings report of a board", RunReport, boardcli::kBoardFileExitStatus);

}  // namespace
