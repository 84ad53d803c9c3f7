// varnscope-cli discover: the boards answering the SV discover command.
#include "cli/Numberhost.h"
#include "cli/Subcommand.h"

#include <cstdio>

namespace {

int RunDiscover(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Discovers the boards on LocoNet and prints one line per board in reply order (serial, product, "
        "manufacturer, description, separated by tabs; a board that keeps its bus address apart from its serial number "
        "is listed under its address with a fifth field \"serial S\"), then the count. Takes 5 s after the last reply.");
    AddLinkOptions(parser);
    parser.addOption({"products", "The product list (default: progdevicelist.csv next to the program or in its installed data folder).", "FILE"});
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "discover", "varnscope-cli discover --port DEV [--products FILE]", args, status))
        return status;
    TCliLinkOptions link;
    QString error;
    if (!ReadLinkOptions(parser, link, error)) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    TCliNumbering numbering;
    if (!numbering.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    if (!numbering.Discover()) {
        PrintError(QString::fromStdString(numbering.LastMessage()));
        return ProgExit::kFailed;
    }
    for (const std::string& line : numbering.Engine().ListLines())
        std::printf("%s\n", line.c_str());
    std::printf("no. boards found: %d\n", numbering.Engine().FoundCount());
    return ProgExit::kOk;
}

const VarnscopeSubcommand kDiscover("discover", "List the boards answering on LocoNet", RunDiscover,
    "0 when done, also when no board answers; 1 when the port fails while open; 2 for "
    "wrong options; 4 when the port cannot be opened.");

}  // namespace
