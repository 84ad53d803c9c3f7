// The layout engine run over the command line's link: backup, verify-all
// and restore block in a local event loop until the run ends, printing one
// line per board as it finishes.
#pragma once

#include "cli/Proghost.h"
#include "programming/Tlayoutengine.h"

#include <QEventLoop>

#include <string>
#include <vector>

namespace LayoutExit {
constexpr int kOk = 0;
constexpr int kFailed = 1;      // a board failed, differs, is missing or new; or the run stopped
constexpr int kUsage = 2;       // bad options
constexpr int kFileError = 3;   // the snapshot cannot be read, or its folder cannot be written
constexpr int kPortError = 4;   // the port cannot be opened
constexpr int kReadFailed = 5;  // verify-all: a board could not be read, none differs
}  // namespace LayoutExit

class TCliLayout : public ILayoutListener {
public:
    TCliLayout();
    ~TCliLayout() override;

    TLayoutEngine& Engine() { return engine_; }

    // Opens the link and loads the product list; false with the exit status.
    bool Open(const TCliLinkOptions& options, const QString& productList, int& exitStatus);
    // Runs until the run ends; false when it stopped before its end (the
    // reason printed) or the port failed.
    bool Wait();

    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override;
    void BoardChanged(int row) override;
    void RunEnded(bool success, const std::string& text) override;

private:
    TCliLink link_;
    TQtEngineTimer timeout_;
    TQtEngineTimer delay_;
    TLayoutEngine engine_;
    QEventLoop loop_;
    std::string endText_;
    std::vector<bool> printed_;  // rows whose line is out
};

// "102  ORT50  same" and, indented below, the differences or the reason.
void PrintLayoutBoard(const TLayoutBoard& board, TLayoutTask task);

// The link options and --products of the layout commands.
void AddLayoutOptions(QCommandLineParser& parser);
