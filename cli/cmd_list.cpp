// varnscope-cli list: the list line of every board of a configuration file.
#include "cli/Boardcli.h"
#include "cli/Subcommand.h"

namespace {

int RunList(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Prints one line per board of a configuration file: serial number (or \"not set yet\"), tab, "
        "type, tab, blank and name.");
    parser.addOption({"type", "Board type of the file (any case).", "TYPE"});
    parser.addPositionalArgument("FILE", "Configuration file of that type.");
    if (auto done = ParseArguments(parser, "list", args, 1, 1))
        return *done;
    int typeStatus = kExitOk;
    const auto type = BoardTypeOption(parser, typeStatus);
    if (!type)
        return typeStatus;
    TBoardData data;
    if (!LoadBoards(data, *type, parser.positionalArguments().at(0)))
        return kExitError;
    std::string text;
    for (int i = 0; i < data.BoardCount(*type); ++i)
        text += data.BoardAt(*type, i)->ListLine() + "\n";
    WriteOut(text);
    return kExitOk;
}

const VarnscopeSubcommand registration("list", "List the boards of a configuration file", RunList, boardcli::kBoardFileExitStatus);

}  // namespace
