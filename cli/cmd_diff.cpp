// varnscope-cli diff: compares two boards of a type by setting, as the boards
// would hold them: two boards of configuration files, or (--port) a board of
// a file with the board that answers at its serial number on the bus.
#include "boards/core/Boardcompare.h"
#include "boards/core/Boardfactory.h"
#include "cli/Boardcli.h"
#include "cli/Progtransfer.h"
#include "cli/Subcommand.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace {

namespace DiffExit {
constexpr int kEqual = 0;
constexpr int kDifferent = 1;
constexpr int kUsage = boardcli::kExitUsage;
constexpr int kFileError = boardcli::kExitError;  // unknown type, unreadable file, no board N
constexpr int kReadFailed = 5;                    // the board on the bus could not be read
}  // namespace DiffExit

struct TBoardArgument {
    QString file;
    int index = 0;
};

// FILE or FILE:INDEX. A name that exists as a file is taken whole, so that a
// file whose name ends in ":<digits>" still works; a colon followed by
// anything but digits (a drive letter's) belongs to the name.
std::optional<TBoardArgument> ParseBoardArgument(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(':');
    const QString suffix = colon > 0 ? text.mid(colon + 1) : QString();
    const bool digits = !suffix.isEmpty() && std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isDigit(); });
    if (!digits || QFileInfo::exists(text))
        return TBoardArgument{text, 0};
    bool ok = false;
    const int index = suffix.toInt(&ok);
    if (!ok) {
        boardcli::PrintError("bad board index in " + text + " (a number from 0)");
        return std::nullopt;
    }
    return TBoardArgument{text.left(colon), index};
}

int RunDiff(const QStringList& args)
{
    using namespace boardcli;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Compares two boards of type TYPE by setting, as the boards would hold them: each is put through its SV "
        "image and decoded again, so wording and what the image cannot carry do not count; what differs in the "
        "files only (names, descriptions) is listed apart. With --port, compares board INDEX of FILE_A with the "
        "board that answers at its serial number on the bus. Writes nothing.");
    AddLinkOptions(parser);
    parser.addOption({"type", "The board type: VELA40, ORT50, VELA80, MUV7, PAX60, TEL90 or PAX66.", "TYPE"});
    parser.addOption({"all", "Print every setting, a differing one marked with *, one kept in the file only with ~."});
    parser.addOption({"log", "With --port: print every SV message sent and received."});
    parser.addPositionalArgument("FILE_A[:INDEX]", "A configuration file of the type and a board of it, from 0.");
    parser.addPositionalArgument("FILE_B[:INDEX]", "Another board (not with --port).");
    int status = DiffExit::kEqual;
    if (!ParseSubcommand(parser, "diff",
                         "varnscope-cli diff --type TYPE FILE_A[:INDEX] FILE_B[:INDEX] [--all]\n"
                         "       varnscope-cli diff --port DEV [--interface KIND] --type TYPE FILE[:INDEX] [--all] [--log]",
                         args, status))
        return status;

    const bool onBus = parser.isSet("port");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != (onBus ? 1 : 2)) {
        boardcli::PrintError(onBus ? std::string("one FILE[:INDEX] is required with --port")
                                   : std::string("two boards FILE_A[:INDEX] FILE_B[:INDEX] are required"));
        return DiffExit::kUsage;
    }
    TCliTransferOptions options;
    if (onBus) {
        QString error;
        if (!ReadLinkOptions(parser, options.link, error)) {
            boardcli::PrintError(error);
            return DiffExit::kUsage;
        }
    }
    const std::optional<uint8_t> type = BoardTypeOption(parser, status);
    if (!type)
        return status;

    std::vector<TBoardArgument> boards;
    for (const QString& text : positional) {
        const std::optional<TBoardArgument> board = ParseBoardArgument(text);
        if (!board)
            return DiffExit::kUsage;
        boards.push_back(*board);
    }
    TBoardData dataA;
    TBoardData dataB;
    if (!LoadBoards(dataA, *type, boards[0].file))
        return DiffExit::kFileError;
    TConfigurableBoard* a = BoardOfFile(dataA, *type, boards[0].index, boards[0].file);
    if (!a)
        return DiffExit::kFileError;

    TConfigurableBoard* b = nullptr;
    std::unique_ptr<TConfigurableBoard> fromBus;
    // Paths would make long lines: two files are A and B, in argument order.
    const std::string nameA = onBus ? "file" : "A";
    const std::string nameB = onBus ? "board" : "B";
    if (onBus) {
        if (!a->IsSerialValid()) {
            boardcli::PrintError("board " + QString::number(boards[0].index) + " of " + boards[0].file +
                       " has no serial number to find it on the bus by");
            return DiffExit::kUsage;
        }
        fromBus = MakeBoard(*type);
        fromBus->SetSerialNumber(a->SerialNumber());
        ReadTransferOutputOptions(parser, options);
        options.log = parser.isSet("log");
        const int read = RunCliTransfer(TProgramMode::eRead, *fromBus, options);
        if (read == ProgExit::kFailed)
            return DiffExit::kReadFailed;
        if (read != ProgExit::kOk)
            return read;
        b = fromBus.get();
    } else {
        if (!LoadBoards(dataB, *type, boards[1].file))
            return DiffExit::kFileError;
        b = BoardOfFile(dataB, *type, boards[1].index, boards[1].file);
        if (!b)
            return DiffExit::kFileError;
    }

    TBoardComparison comparison;
    if (onBus) {
        // The board holds no names and no file's wording: compared as a
        // verify compares, with the file's board standing for both files, so
        // that nothing is said to be kept in the file only. That comparison
        // takes the board first; the file is shown first here.
        comparison = CompareBoardWithImage(fromBus->SvImage(), *a);
        for (TSettingRow& row : comparison.rows) {
            std::swap(row.a, row.b);
            std::swap(row.inA, row.inB);
        }
    } else {
        comparison = CompareBoards(*a, *b);
    }
    WriteOut(ComparisonText(comparison, nameA, nameB, parser.isSet("all")));
    return comparison.Equal() ? DiffExit::kEqual : DiffExit::kDifferent;
}

const VarnscopeSubcommand registration(
    "diff", "Compare two boards by setting, as the boards hold them", RunDiff,
    "0 when the boards hold the same settings; 1 when at least one setting differs; 2 for wrong "
    "options or arguments (with --port, a board without serial number); 3 for an unknown type, a "
    "missing or unreadable file, a file whose loading stopped, or no board INDEX; 4 when the port "
    "cannot be opened; 5 when the board on the bus could not be read.");

}  // namespace
