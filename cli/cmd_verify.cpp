// varnscope-cli verify: reads a board's SVs, without writing anything, and
// compares them with the image its configuration computes.
#include "cli/Boardcli.h"
#include "cli/Progtransfer.h"
#include "cli/Subcommand.h"

#include <cstdio>

namespace {

namespace VerifyExit {
constexpr int kEqual = 0;
constexpr int kDifferent = 1;
constexpr int kFileError = boardcli::kExitError;  // unknown type, unreadable file, no board N
constexpr int kReadFailed = 5;                    // the board could not be read: no answer, wrong type, ...
}  // namespace VerifyExit

int RunVerify(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads the board of configured board INDEX of FILE (type TYPE) and compares its SVs with the image the "
        "configuration computes for the board's software version. Writes nothing, neither to the board nor to FILE.");
    AddBoardTransferOptions(parser, "The board's position in FILE, from 0 (default 0).");
    int status = ProgExit::kOk;
    if (!ParseSubcommand(parser, "verify",
                         "varnscope-cli verify --port DEV [--interface KIND] --type TYPE FILE [--index N] [--log]",
                         args, status))
        return status;

    TCliTransferOptions options;
    QString error;
    if (!ReadLinkOptions(parser, options.link, error)) {
        // error says why
    } else if (parser.positionalArguments().size() != 1) {
        error = "one configuration FILE is required";
    }
    if (!error.isEmpty()) {
        PrintError(error);
        return ProgExit::kUsage;
    }
    const std::optional<uint8_t> type = boardcli::BoardTypeOption(parser, status);
    if (!type)
        return status;
    const std::optional<int> index = boardcli::IntegerOption(parser, "index", 0);
    if (!index)
        return ProgExit::kUsage;
    const QString file = parser.positionalArguments().first();
    TBoardData boards;
    if (!boardcli::LoadBoards(boards, *type, file))
        return VerifyExit::kFileError;
    TConfigurableBoard* board = boardcli::BoardOfFile(boards, *type, *index, file);
    if (!board)
        return VerifyExit::kFileError;

    ReadTransferOutputOptions(parser, options);
    std::vector<TSvDifference> differences;
    status = RunCliTransfer(TProgramMode::eVerify, *board, options, &differences);
    if (status == ProgExit::kFailed)
        return VerifyExit::kReadFailed;
    if (status != ProgExit::kOk)
        return status;
    return differences.empty() ? VerifyExit::kEqual : VerifyExit::kDifferent;
}

const VarnscopeSubcommand kVerify("verify", "Compare a board's SVs with its configuration without writing",
                                  RunVerify,
    "0 when the board matches; 1 when at least one SV differs; 2 for wrong options or a "
    "serial number outside 1 to 65535; 3 for an unknown type, a missing or unreadable "
    "FILE, a file whose loading stopped, or no board N; 4 when the port cannot be opened; "
    "5 when the board could not be read.");

}  // namespace
