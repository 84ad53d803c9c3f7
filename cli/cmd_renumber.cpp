// varnscope-cli renumber: gives a board a new serial number (its address).
#include "cli/Numberhost.h"
#include "cli/Subcommand.h"

#include <cstdio>

namespace {

int RunRenumber(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Discovers the boards on LocoNet, then changes the serial number of board N to M. M must not be the "
        "serial number of another board that answered the discovery. A board that keeps its bus address apart from "
        "its serial number (listed with \"serial S\" at the end) is named by its address (or S) and gets address M.");
    AddLinkOptions(parser);
    parser.addOption({"serial", "The board's serial number now, 1 to 65535.", "N"});
    parser.addOption({"to", "The new serial number, 1 to 65535.", "M"});
    parser.addOption({"products", "The product list (default: progdevicelist.csv next to the program or in its installed data folder).", "FILE"});
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "renumber", "varnscope-cli renumber --port DEV --serial N --to M", args, status))
        return status;
    TCliLinkOptions link;
    QString error;
    int serial = 0;
    int newSerial = 0;
    if (!ReadLinkOptions(parser, link, error)) {
        // error says why
    } else if (!ReadSerialNumber(parser.value("serial"), serial)) {
        error = "--serial must be a serial number from 1 to 65535";
    } else if (!ReadSerialNumber(parser.value("to"), newSerial)) {
        error = "--to must be a serial number from 1 to 65535";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    TCliNumbering numbering;
    if (!numbering.Open(link, parser.isSet("products") ? parser.value("products") : DefaultProductListPath(), status))
        return status;
    std::printf("Discovering boards on LocoNet...\n");
    std::fflush(stdout);
    if (!numbering.Discover()) {
        PrintError(QString::fromStdString(numbering.LastMessage()));
        return ProgExit::kFailed;
    }
    int position = -1;
    const auto& boards = numbering.Engine().Boards();
    for (size_t i = 0; i < boards.size() && position < 0; ++i)
        if (boards[i]->HasAddress(serial))
            position = static_cast<int>(i);
    // A board that keeps its address apart may be named by its fixed serial number too.
    for (size_t i = 0; i < boards.size() && position < 0; ++i)
        if (boards[i]->HasSeparateAddress() && boards[i]->HasSerial(serial))
            position = static_cast<int>(i);
    if (position < 0) {
        PrintError(QString("no board with serial number %1 answered the discovery").arg(serial));
        return ProgExit::kFailed;
    }
    if (!numbering.Renumber(position, newSerial)) {
        PrintError(QString::fromStdString(numbering.LastMessage()));
        return ProgExit::kFailed;
    }
    std::printf("%s\n%s\n", numbering.LastMessage().c_str(), boards[position]->ListLine().c_str());
    return ProgExit::kOk;
}

const VarnscopeSubcommand kRenumber("renumber", "Give a board a new serial number", RunRenumber,
    "0 when done; 1 when the board does not answer, the new number is taken, board N did "
    "not answer the discovery, or the port fails while open; 2 for wrong options; 4 when "
    "the port cannot be opened.");

}  // namespace
