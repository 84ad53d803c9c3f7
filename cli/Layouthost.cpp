#include "cli/Layouthost.h"

#include "cli/Quitsignals.h"

#include <cstdio>

TCliLayout::TCliLayout()
    : timeout_([this](uint64_t token) { engine_.TimeoutExpired(token); }),
      delay_([this](uint64_t token) { engine_.DelayExpired(token); }),
      engine_(*this, &timeout_, &delay_)
{
    link_.OnSvMessage = [this](const TLNSVProgMessage& message) { engine_.HandleSvMessage(message); };
    link_.OnLost = [this](const std::string& why) {
        const std::string text = link_.Link().DeviceName() + ": the link failed: " + why;
        engine_.Abort(text);
        endText_ = text;
        loop_.exit(1);
    };
}

TCliLayout::~TCliLayout()
{
    SetQuitHandler(nullptr);
    link_.OnSvMessage = nullptr;
    link_.OnLost = nullptr;
}

bool TCliLayout::Open(const TCliLinkOptions& options, const QString& productList, int& exitStatus)
{
    // Ctrl+C is Cancel: a board half read is never written, a board half
    // programmed is named as such, and a backup's manifest says which boards
    // are complete. A second Ctrl+C does not wait for the exchange under way.
    QuitOnSignals();
    SetQuitHandler([this] {
        if (!engine_.IsRunning())
            return;
        if (engine_.IsCancelling()) {
            engine_.Abort(LayoutTexts::kCancelled);
            return;
        }
        std::fprintf(stderr, "Cancelling after the message exchange under way (Ctrl+C again to stop at once)\n");
        engine_.Cancel();
    });
    if (!engine_.LoadProductList(productList.toStdString()))
        std::fprintf(stderr, "warning: could not load the product list %s\n", qPrintable(productList));
    engine_.SetPacedSending(options.interface == eMS100);
    std::string reason;
    if (!link_.Open(options, reason)) {
        PrintError("cannot open " + options.port + ": " + QString::fromStdString(reason));
        exitStatus = LayoutExit::kPortError;
        return false;
    }
    return true;
}

bool TCliLayout::Wait()
{
    const int status = engine_.IsRunning() ? loop_.exec() : 0;
    if (status != 0)
        PrintError(QString::fromStdString(endText_));
    return status == 0;
}

void TCliLayout::SendMessage(std::unique_ptr<TLNSVProgMessage> message)
{
    link_.Send(std::move(message));
}

void TCliLayout::BoardChanged(int row)
{
    const TLayoutBoard& board = engine_.Boards()[static_cast<size_t>(row)];
    if (board.state == TLayoutBoardState::eBusy)
        return;
    PrintLayoutBoard(board, engine_.Task());
    printed_.resize(engine_.Boards().size(), false);
    printed_[static_cast<size_t>(row)] = true;
}

void TCliLayout::RunEnded(bool success, const std::string& text)
{
    endText_ = text;
    // New boards, boards skipped from the start and a board a cancelled run
    // left half programmed never report a change of their own: they are
    // listed once the run is over. Boards the run did not reach are not.
    const auto& boards = engine_.Boards();
    printed_.resize(boards.size(), false);
    for (size_t i = 0; i < boards.size(); ++i)
        if (!printed_[i] && !(boards[i].state == TLayoutBoardState::eSkipped && boards[i].reason == LayoutTexts::kNotReached))
            PrintLayoutBoard(boards[i], engine_.Task());
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    loop_.exit(success ? 0 : 1);
}

void PrintLayoutBoard(const TLayoutBoard& board, TLayoutTask task)
{
    const TSnapshotEntry& e = board.entry;
    std::string where = std::to_string(e.address);
    if (e.serial != e.address)
        where += " (serial " + std::to_string(e.serial) + ")";
    std::printf("%s\t%s\t%s\n", where.c_str(), e.product.c_str(), LayoutStateText(board.state, task).c_str());
    if (!board.reason.empty())
        std::printf("    %s\n", board.reason.c_str());
    const bool verify = task == TLayoutTask::eVerify;
    for (const TBoardDifference& d : board.differences)
        std::printf("    %s\n", DifferenceText(d, verify ? "snapshot" : "before", verify ? "board" : "after").c_str());
    std::fflush(stdout);
}

void AddLayoutOptions(QCommandLineParser& parser)
{
    AddLinkOptions(parser);
    parser.addOption({"products",
                      "The product list (default: progdevicelist.csv next to the program or in its installed data "
                      "folder).",
                      "FILE"});
}
