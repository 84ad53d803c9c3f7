#include "cli/Replayprint.h"

#include "cli/Proghost.h"
#include "link/Lndispatch.h"
#include "link/Recording.h"

#include <QDateTime>

#include <cstdio>

TReplayOutcome PrintRecording(const QString& path, const TReplayPrintOptions& options)
{
    TRecording recording;
    recording.Load(path.toStdString());
    if (recording.Stop() == TRecStop::Unreadable || recording.Stop() == TRecStop::Foreign ||
        recording.Stop() == TRecStop::Newer) {
        PrintError(path + ": " + QString::fromStdString(recording.StopText()));
        return TReplayOutcome::Unreadable;
    }
    long long shown = 0;
    for (size_t i = 0; i < recording.Count() && (options.limit < 0 || shown < options.limit); ++i) {
        const TRecFrame frame = recording.At(i);
        if (frame.direction != TRecDirection::Received)
            continue;
        const TLocoNetMessage msg(frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()));
        if (!options.kinds.test(static_cast<size_t>(msg.MessageKind())))
            continue;
        std::string text = options.raw ? msg.RawText() : MakeDecoderMessage(msg)->ToText();
        if (options.stamp == TReplayStamp::TimeOfDay) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch((recording.StartUs() + frame.offsetUs) / 1000);
            text = at.toString("HH:mm:ss.zzz ").toStdString() + text;
        } else if (options.stamp == TReplayStamp::SinceStart) {
            text = QString::asprintf("%9.3f ", static_cast<double>(frame.offsetUs) / 1e6).toStdString() + text;
        }
        std::printf("%s\n", text.c_str());
        ++shown;
    }
    std::fflush(stdout);
    if (!recording.Whole()) {
        PrintError(path + ": " + QString::fromStdString(recording.StopText()));
        return TReplayOutcome::Stopped;
    }
    return TReplayOutcome::Whole;
}
