// One programming or reading run of the sequencer over the command line's
// link, with its terminal output.
#pragma once

#include "cli/Proghost.h"
#include "programming/Tprogsequencer.h"

class TConfigurableBoard;

struct TCliTransferOptions {
    TCliLinkOptions link;
    bool log = false;       // print the debug texts
    bool progressBar = false;  // a terminal: one updating line instead of a line per status
};

// The options of the commands that transfer one board of a configuration
// file (program, read, verify): the link's, --type, --index, --log and FILE.
void AddBoardTransferOptions(QCommandLineParser& parser, const QString& indexHelp);
// --log, and the progress line when standard output is a terminal.
void ReadTransferOutputOptions(const QCommandLineParser& parser, TCliTransferOptions& options);

// Runs the transfer to its end; the exit status (0 done, 1 failed, 4 port).
// A verify that is done leaves the SVs that differ in *differences.
int RunCliTransfer(TProgramMode mode, TConfigurableBoard& board, const TCliTransferOptions& options,
                   std::vector<TSvDifference>* differences = nullptr);
