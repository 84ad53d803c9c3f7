// varnscope-cli identify: makes one board identify itself.
#include "cli/Numberhost.h"
#include "cli/Subcommand.h"

#include <cstdio>

namespace {

int RunIdentify(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sends the identify command to the board with serial number N and prints the board's line (serial, "
        "product, manufacturer, description) when it answers within 5 s. A board that keeps its bus address apart is named by its address.");
    AddLinkOptions(parser);
    parser.addOption({"serial", "The board's serial number, 1 to 65535.", "N"});
    parser.addOption({"products", "The product list (default: progdevicelist.csv next to the program or in its installed data folder).", "FILE"});
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "identify", "varnscope-cli identify --port DEV --serial N", args, status))
        return status;
    TCliLinkOptions link;
    QString error;
    int serial = 0;
    if (!ReadLinkOptions(parser, link, error)) {
        // error says why
    } else if (!ReadSerialNumber(parser.value("serial"), serial)) {
        error = "--serial must be a serial number from 1 to 65535";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    TCliNumbering numbering;
    if (!numbering.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    if (!numbering.IdentifySerial(serial)) {
        PrintError(QString::fromStdString(numbering.LastMessage()));
        return ProgExit::kFailed;
    }
    std::printf("%s\n", numbering.LastMessage().c_str());
    if (const TRenumberableBoard* board = numbering.Engine().IdentifiedBoard())
        std::printf("%s\n", board->ListLine().c_str());
    return ProgExit::kOk;
}

const VarnscopeSubcommand kIdentify("identify", "Make one board identify itself", RunIdentify,
    "0 when done; 1 when the board does not answer or the port fails while open; 2 for "
    "wrong options; 4 when the port cannot be opened.");

}  // namespace
