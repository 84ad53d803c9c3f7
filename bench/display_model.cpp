// How fast the message display takes in messages and how much memory each
// kept message costs (arrival time and kind included): 1,000,000 messages
// into the display's model alone, into the model with its list view
// attached, and through the display window itself; then the cost of
// filtering the kept lines by kind and of drawing a screenful of lines
// anywhere in the list.
#include "app/monitor/Kindfilterdialog.h"
#include "app/monitor/Lndisplay.h"
#include "app/monitor/Messagelistmodel.h"
#include "app/monitor/Messagelistview.h"
#include "link/Lndecoders.h"
#include "link/Lndispatch.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

int kMessages = 1000000;  // VARNSCOPE_BENCH_MESSAGES overrides
constexpr double kFullBusPerSecond = 800.0;  // short messages a second on a busy LocoNet

// Resident memory of this process [bytes].
long long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// A mix like a busy layout's traffic: sensor reports, switch requests,
// throttle messages, power, and now and then a 16-byte peer transfer.
std::vector<std::unique_ptr<TLocoNetMessage>> TrafficMix()
{
    std::vector<std::unique_ptr<TLocoNetMessage>> mix;
    auto add = [&mix](std::initializer_list<int> bytes) {
        TLocoNetMessage m;
        for (int b : bytes)
            m.AppendByte(uint8_t(b));
        m.AppendChecksum();
        mix.push_back(MakeDecoderMessage(m));
    };
    for (int board = 1; board <= 8; ++board)
        mix.push_back(MakeDecoderMessage(TLNSensFBMessage(board, board * 2 - 1, board % 2 == 0)));
    for (int point = 1; point <= 6; ++point)
        mix.push_back(MakeDecoderMessage(TLNSwReqMessage(point * 37, point % 4)));
    add({0xA0, 0x05, 0x40});
    add({0xA1, 0x05, 0x31});
    add({0xA2, 0x05, 0x03});
    add({0x83});
    add({0xB4, 0x30, 0x00});
    add({0xE5, 0x10, 0x50, 0x50, 0x01, 0x00, 0x11, 0, 0, 0, 0x00, 0x11, 0, 0, 0});
    return mix;
}

void Report(const char* what, qint64 elapsedNs, int count)
{
    const double perMessageUs = double(elapsedNs) / 1000.0 / count;
    const double budgetUs = 1e6 / kFullBusPerSecond;
    std::printf("%-44s %8.3f us/message  (%.0fx faster than a full LocoNet needs)\n", what, perMessageUs,
                budgetUs / perMessageUs);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (const int n = qEnvironmentVariableIntValue("VARNSCOPE_BENCH_MESSAGES"); n > 0)
        kMessages = n;
    const auto mix = TrafficMix();
    QElapsedTimer timer;

    // The model alone.
    {
        const long long before = ResidentBytes();
        TMessageListModel model;
        timer.start();
        for (int i = 0; i < kMessages; ++i)
            model.AppendMessage(*mix[size_t(i) % mix.size()], i % 3 != 0, uint32_t(i));
        Report("model alone", timer.nsecsElapsed(), kMessages);
        const long long after = ResidentBytes();
        std::printf("%-44s %8.2f bytes/message held (%zu bytes for %d messages)\n", "memory, store's own count",
                    double(model.Store().MemoryBytes()) / kMessages, model.Store().MemoryBytes(), kMessages);
        std::printf("%-44s %8.2f bytes/message (resident set grew %.1f MiB)\n", "memory, process resident set",
                    double(after - before) / kMessages, double(after - before) / (1024.0 * 1024.0));

        // Filtering every kept line by kind, and back to all.
        for (const TKindPreset& preset : KindPresets()) {
            timer.start();
            model.SetHiddenKinds(preset.hidden);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            std::printf("%-44s %8.1f ms for %d lines (%d shown)\n",
                        qPrintable(QStringLiteral("filter: ") + preset.name.toLower()), ms, kMessages,
                        model.rowCount());
        }
    }

    // The model with its shown list view, as in the display window.
    {
        TMessageListModel model;
        TMessageListView view;
        view.setModel(&model);
        view.resize(760, 420);
        view.show();
        QApplication::processEvents();
        timer.start();
        for (int i = 0; i < kMessages; ++i) {
            model.AppendMessage(*mix[size_t(i) % mix.size()], true);
            if (i % 1000 == 999)
                QApplication::processEvents();  // the view catches up between bursts
        }
        QApplication::processEvents();
        model.Flush();
        QApplication::processEvents();
        Report("model with shown list view", timer.nsecsElapsed(), kMessages);

        // What one batch of new lines costs the view once it holds them all.
        constexpr int kBatches = 20;
        timer.start();
        for (int b = 0; b < kBatches; ++b) {
            model.AppendMessage(*mix[0], true);
            model.Flush();
            view.ScrollToBottom();
            QApplication::processEvents();
        }
        std::printf("%-44s %8.3f ms/batch (at most %d batches a second)\n", "view taking in a batch at the end",
                    double(timer.nsecsElapsed()) / 1e6 / kBatches, 1000 / TMessageListModel::kPublishIntervalMs);

        // Drawing a screenful anywhere in a million lines: the view asks for ~30 rows.
        std::mt19937 dice(7);
        std::uniform_int_distribution<int> row(0, kMessages - 1);
        constexpr int kScreens = 2000;
        timer.start();
        for (int s = 0; s < kScreens; ++s) {
            const int top = row(dice);
            for (int r = top; r < top + 30 && r < kMessages; ++r)
                (void)model.data(model.index(r));
        }
        std::printf("%-44s %8.3f us/screen of 30 lines\n", "rendering a screenful at a random place",
                    double(timer.nsecsElapsed()) / 1000.0 / kScreens);
        timer.start();
        constexpr int kScrolls = 200;
        for (int s = 0; s < kScrolls; ++s) {
            view.ScrollToRow(row(dice));
            view.viewport()->repaint();
        }
        std::printf("%-44s %8.3f ms/jump (scroll and repaint)\n", "jumping to a random place and repainting",
                    double(timer.nsecsElapsed()) / 1e6 / kScrolls);

        // Find through every line: a text no line holds, so each is rendered once.
        timer.start();
        const int found = model.FindRow(QStringLiteral("no line holds this"), -1, true);
        std::printf("%-44s %8.1f ms for %d lines%s\n", "find: a text on no line", double(timer.nsecsElapsed()) / 1e6,
                    model.rowCount(), found < 0 ? "" : " (found?)");
    }

    // The display window's whole path: append, count edit, scroll to the end.
    {
        TDisplayForm form;
        form.resize(760, 420);
        form.show();
        QApplication::processEvents();
        timer.start();
        for (int i = 0; i < kMessages; ++i) {
            form.ShowMessage(*mix[size_t(i) % mix.size()]);
            if (i % 10 == 9)
                QApplication::processEvents();  // about one receive event per ten messages
        }
        QApplication::processEvents();
        Report("display window, ShowMessage with scrolling", timer.nsecsElapsed(), kMessages);
    }

    // The same with times shown and sensor reports filtered out.
    {
        TDisplayForm form;
        form.resize(760, 420);
        form.TimesButton->setChecked(true);
        form.SetHiddenKinds(KindPresets().at(1).hidden);
        form.show();
        QApplication::processEvents();
        timer.start();
        for (int i = 0; i < kMessages; ++i) {
            form.ShowMessage(*mix[size_t(i) % mix.size()]);
            if (i % 10 == 9)
                QApplication::processEvents();
        }
        QApplication::processEvents();
        Report("display window, times shown and a filter on", timer.nsecsElapsed(), kMessages);

        // At a real bus's pace every message refreshes the count edit: 900
        // messages (more than a full LocoNet carries in a second) in each of
        // 20 spells, timed without the pauses between them.
        constexpr int kSpells = 20;
        constexpr int kPerSpell = 900;
        qint64 busy = 0;
        for (int spell = 0; spell < kSpells; ++spell) {
            for (timer.start(); timer.elapsed() < 120;)
                QApplication::processEvents(QEventLoop::AllEvents, 10);
            timer.start();
            for (int i = 0; i < kPerSpell; ++i) {
                form.ShowMessage(*mix[size_t(i) % mix.size()]);
                if (i % 10 == 9)
                    QApplication::processEvents();
            }
            busy += timer.nsecsElapsed();
        }
        Report("display window, count refreshed every message", busy, kSpells * kPerSpell);
    }
    return 0;
}
