#include "cli/Progtransfer.h"

#include "boards/core/Tconfigurableboard.h"
#include "cli/Terminal.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>
#include <string>

namespace {

class TCliProgrammer : public IProgrammerListener {
public:
    TCliProgrammer(TCliLink& link, const TCliTransferOptions& options, QEventLoop& loop)
        : link_(link), options_(options), loop_(loop)
    {
        clock_.start();
    }

    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override { link_.Send(std::move(message)); }
    void StatusText(const std::string& text) override { Line(text); }
    void LogText(const std::string& text) override { Line(text); }
    void DebugText(const std::string& text) override { Line(text); }
    void ProgressRange(int, int maximum) override { maximum_ = maximum; }
    void ProgressPosition(int position) override
    {
        position_ = position;
        DrawBar();
    }
    void Beep() override
    {
        if (options_.progressBar)
            std::fputs("\a", stderr);
    }
    void TransferEnded(bool success, const std::string& text) override
    {
        ClearBar();
        if (!success)
            std::fprintf(stderr, "%s\n", text.c_str());
        loop_.exit(success ? ProgExit::kOk : ProgExit::kFailed);
    }

private:
    void Line(const std::string& text)
    {
        ClearBar();
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        DrawBar();
    }

    void ClearBar()
    {
        if (barShown_) {
            std::fputs("\r\033[K", stdout);
            barShown_ = false;
        }
    }

    void DrawBar()
    {
        if (!options_.progressBar || maximum_ <= 0)
            return;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(static_cast<long long>(position_) * kWidth / maximum_);
        std::string bar(kWidth, '.');
        bar.replace(0, filled, filled, '#');
        std::printf("\r\033[K[%s] SV %d/%d  %.1f s", bar.c_str(), position_, maximum_, clock_.elapsed() / 1000.0);
        std::fflush(stdout);
        barShown_ = true;
    }

    TCliLink& link_;
    const TCliTransferOptions& options_;
    QEventLoop& loop_;
    QElapsedTimer clock_;
    int maximum_ = 0;
    int position_ = 0;
    bool barShown_ = false;
};

}  // namespace

int RunCliTransfer(TProgramMode mode, TConfigurableBoard& board, const TCliTransferOptions& options,
                   std::vector<TSvDifference>* differences)
{
    if (!board.IsSerialValid()) {
        PrintError(ProgTexts::kSerialInvalid);
        return ProgExit::kUsage;
    }
    TCliLink link;
    std::string reason;
    if (!link.Open(options.link, reason)) {
        PrintError("cannot open " + options.link.port + ": " + QString::fromStdString(reason));
        return ProgExit::kPortError;
    }
    QEventLoop loop;
    TCliProgrammer listener(link, options, loop);
    TProgSequencer* engine = nullptr;
    TQtEngineTimer timeout([&engine](uint64_t token) { engine->TimeoutExpired(token); });
    TQtEngineTimer delay([&engine](uint64_t token) { engine->DelayExpired(token); });
    TProgSequencer sequencer(listener, &timeout, &delay);
    engine = &sequencer;
    sequencer.SetPacedSending(options.link.interface == eMS100);
    sequencer.SetLogging(options.log);
    link.OnSvMessage = [&sequencer](const TLNSVProgMessage& message) { sequencer.HandleSvMessage(message); };
    link.OnLost = [&](const std::string& why) {
        PrintError(options.link.port + ": the link failed: " + QString::fromStdString(why));
        loop.exit(ProgExit::kFailed);
    };
    if (!sequencer.Start(mode, board))
        return ProgExit::kUsage;
    const int status = loop.exec();
    link.OnSvMessage = nullptr;
    link.OnLost = nullptr;
    if (differences)
        *differences = sequencer.Differences();
    return status;
}

void AddBoardTransferOptions(QCommandLineParser& parser, const QString& indexHelp)
{
    AddLinkOptions(parser);
    parser.addOption({"type", "The board type: VELA40, ORT50, VELA80, MUV7, PAX60, TEL90 or PAX66.", "TYPE"});
    parser.addOption({"index", indexHelp, "N"});
    parser.addOption({"log", "Print every SV message sent and received."});
    parser.addPositionalArgument("FILE", "The configuration file of the type.");
}

void ReadTransferOutputOptions(const QCommandLineParser& parser, TCliTransferOptions& options)
{
    options.log = parser.isSet("log");
    options.progressBar = StdoutRedrawsLines();
}
