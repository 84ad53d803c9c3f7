// Programs a full ORT50 through the board configuration window, with "Log"
// checked, over the simulated LocoNet in real time (16457 baud on the wire,
// 5 ms board latency) through the main window's link, for each interface
// kind, and sets the wall time beside the protocol's floor as
// bench_program_board does for the engine alone: the wire time of every
// message sent and received, the boards' latency for each reply and 20 ms
// per paced MS100 message. "own" is the window's, the link's and the
// sequencer's share: from each reply leaving the wire to our next message
// being handed to the link, pause excluded.
#include "app/boards/Formprogboard.h"
#include "app/shell/Main.h"
#include "boards/core/Boarddata.h"
#include "link/Tsvprogmsg.h"
#include "platform/Linkports.h"
#include "sim/Simbus.h"
#include "sim/Simloconet.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kBoardLatencyMs = 5;
constexpr double kWireBaud = 16457.0;
constexpr int kOrt50Serial = 102;  // the simulated ORT50

double WireMs(long bytes)
{
    return bytes * 10 * 1000.0 / kWireBaud;
}

struct TResult {
    bool success = false;
    QString text;
    double wallMs = 0;
    int sent = 0, replies = 0, paced = 0, logLines = 0;
    long sentBytes = 0, replyBytes = 0;
    double ownMs = 0;
};

TResult ProgramThroughWindow(ELocoNetInterface interface)
{
    TSimSettings settings;
    settings.realtime = true;
    settings.latencyMs = kBoardLatencyMs;
    settings.boards = OneBoardOfEachModel(101);
    ConfigureSimulatedLocoNet(settings);

    TResult result;
    TMainOptions options;
    options.Simulate = true;
    options.Arguments = {QStringLiteral("nofiles")};
    TMainForm main(options);
    main.show();
    main.FormActivate();
    main.LocoNetComm1.Close();
    main.LocoNetComm1.SetLocoNetInterface(interface);
    main.LocoNetComm1.SetBaudRate(interface == eMS100 ? br16457 : br57600);
    main.LocoNetComm1.Open();
    if (!main.LocoNetComm1.Enabled()) {
        result.text = QStringLiteral("cannot open the simulated LocoNet");
        return result;
    }

    main.ConfigureBoards1->trigger();
    auto* form = qobject_cast<TProgramBoardForm*>(main.ProgramBoardForm.data());
    form->BoardTabControl->setCurrentIndex(btORT50);
    form->Addnewboard1->trigger();
    main.BoardData.BoardAt(btORT50, 0)->SetSerialNumber(kOrt50Serial);
    form->Refresh();
    form->SelectPosition(0);
    form->DebugCheck->setChecked(true);

    QElapsedTimer clock;
    qint64 replyAtNs = -1;
    QObject context;
    QObject::connect(&SimulatedLocoNet().Bus(), &TSimBus::Delivered, &context, [&](const QByteArray& packet) {
        if (packet.size() == 16 && uint8_t(packet[0]) == 0xE5 && (uint8_t(packet[3]) & kSvReplyBit) &&
            TLNSVProgMessage(TLocoNetMessage(reinterpret_cast<const uint8_t*>(packet.constData()), 16)).SvKind() >=
                eSvWrite1Reply) {
            replyAtNs = clock.nsecsElapsed();
            ++result.replies;
            result.replyBytes += packet.size();
        }
    });
    const TMessageSender send = form->Sender;
    form->Sender = [&](std::unique_ptr<TLocoNetMessage> message) {
        ++result.sent;
        result.sentBytes += message->Length();
        const bool paced = interface == eMS100 && result.sent > 1;
        if (paced)
            ++result.paced;
        if (replyAtNs >= 0) {
            result.ownMs += (clock.nsecsElapsed() - replyAtNs) / 1e6 - (paced ? 20.0 : 0.0);
            replyAtNs = -1;
        }
        send(std::move(message));
    };
    QEventLoop loop;
    QObject::connect(form, &TProgramBoardForm::TransferFinished, &loop, [&](bool ok, const QString& text) {
        result.success = ok;
        result.text = text;
        loop.exit(0);
    });
    clock.start();
    form->ProgramButton->click();
    if (form->Busy())
        loop.exec();
    result.wallMs = clock.nsecsElapsed() / 1e6;
    result.logLines = form->DebugList->count();
    main.BoardData.CloseList(btORT50);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The operator's settings stay as they are.
    QTemporaryDir store;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store.path());

    const struct {
        ELocoNetInterface interface;
        const char* name;
    } interfaces[] = {{eMS100, "MS100"}, {eLocoBuffer, "LocoBuffer"}, {ePR3, "PR3"}};
    std::printf("%-7s %-10s %5s %7s %6s %9s %9s %8s %8s %8s\n", "board", "interface", "msgs", "replies", "log",
                "wall[ms]", "floor[ms]", "over", "own[ms]", "own");
    int status = 0;
    for (const auto& kind : interfaces) {
        const TResult r = ProgramThroughWindow(kind.interface);
        if (!r.success) {
            std::printf("%-7s %-10s failed: %s\n", "ORT50", kind.name, qPrintable(r.text));
            status = 1;
            continue;
        }
        const double floorMs =
            WireMs(r.sentBytes) + WireMs(r.replyBytes) + r.replies * kBoardLatencyMs + r.paced * 20.0;
        const double ownShare = r.ownMs / floorMs * 100.0;
        std::printf("%-7s %-10s %5d %7d %6d %9.0f %9.0f %7.1f%% %8.1f %7.2f%%\n", "ORT50", kind.name, r.sent,
                    r.replies, r.logLines, r.wallMs, floorMs, (r.wallMs - floorMs) / floorMs * 100.0,
                    r.ownMs, ownShare);
        if (ownShare > 5.0)
            status = 1;
    }
    std::printf("through the board configuration window with \"Log\" checked;\n"
                "floor: wire time at 16457 baud + %d ms board latency per reply + 20 ms per paced MS100 message;\n"
                "over: wall time above the floor;\n"
                "own: time from each reply leaving the wire to our next message handed to the link (pause\n"
                "excluded), i.e. the window's, the link's and the sequencer's share of the wall time.\n",
                kBoardLatencyMs);
    return status;
}
