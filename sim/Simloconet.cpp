#include "sim/Simloconet.h"

#include "link/Lnframer.h"
#include "link/Lndecoders.h"

#include <QTimer>

namespace {

const void* const kBoardsSender = reinterpret_cast<const void*>(0x1);
const void* const kScriptSender = reinterpret_cast<const void*>(0x2);

QByteArray ToBytes(const TLocoNetMessage& msg)
{
    return QByteArray(reinterpret_cast<const char*>(msg.Data()), qsizetype(msg.Length()));
}

}  // namespace

TSimLocoNet::TSimLocoNet(const TSimSettings& settings, QObject* parent) : QObject(parent), settings_(settings)
{
    bus_.SetRealtime(settings_.realtime);
    bus_.SetFaults(settings_.dropRate, settings_.corruptRate, settings_.seed);
    for (const TSimBoardSpec& spec : settings_.boards)
        boards_.push_back(std::make_unique<TSimBoard>(spec));
    if (settings_.locoBuffer)
        locoBuffer_ = std::make_unique<TSimLocoBuffer>(settings_.locoBufferVersion);
    connect(&bus_, &TSimBus::Delivered, this, &TSimLocoNet::OnPacket);
}

TSimLocoNet::~TSimLocoNet() = default;

TSimBoard* TSimLocoNet::FindBoard(uint16_t serial)
{
    for (auto& b : boards_)
        if (b->Address() == serial)
            return b.get();
    return nullptr;
}

void TSimLocoNet::Reply(const TLocoNetMessage& msg)
{
    const QByteArray bytes = ToBytes(msg);
    const int copies = settings_.answerTwice ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        if (settings_.latencyMs > 0)
            QTimer::singleShot(settings_.latencyMs, Qt::PreciseTimer, this, [this, bytes] { bus_.Send(bytes, kBoardsSender); });
        else
            bus_.Send(bytes, kBoardsSender);
    }
}

void TSimLocoNet::OnPacket(const QByteArray& packet)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(packet.constData());
    const int count = int(packet.size());
    // The boards and the LocoBuffer frame the wire like any receiver.
    TLnFramer framer;
    for (int i = 0; i < count; ++i) {
        const TLnFramer::TResult r = framer.Feed(bytes[i]);
        if (r == TLnFramer::TResult::Abandoned || r == TLnFramer::TResult::Impossible) {
            if (locoBuffer_)
                locoBuffer_->CountBadFrame();
            continue;
        }
        if (r != TLnFramer::TResult::Complete)
            continue;
        const TLocoNetMessage msg(framer.Frame(), uint32_t(framer.FrameLength()));
        if (!msg.IsValid()) {
            if (locoBuffer_)
                locoBuffer_->CountBadFrame();
            continue;
        }
        if (locoBuffer_) {
            if (auto reply = locoBuffer_->Answer(msg.Data(), int(msg.Length())))
                Reply(*reply);
        }
        for (auto& board : boards_)
            for (const TLocoNetMessage& reply : board->Answer(msg))
                Reply(reply);
    }
}

void TSimLocoNet::SendSensor(int board, int input, bool on)
{
    bus_.Send(ToBytes(TLNSensFBMessage(board, input, on)), kScriptSender);
}

void TSimLocoNet::StartTrain(const TSimTrain& t)
{
    auto* timer = new QTimer(this);
    timer->setInterval(t.periodMs > 0 ? t.periodMs : 8000);
    auto run = [this, t] {
        SendSensor(t.boardA, t.inputA, true);
        QTimer::singleShot(t.gapMs, Qt::PreciseTimer, this, [this, t] { SendSensor(t.boardB, t.inputB, true); });
        QTimer::singleShot(t.occupiedMs, Qt::PreciseTimer, this, [this, t] { SendSensor(t.boardA, t.inputA, false); });
        QTimer::singleShot(t.gapMs + t.occupiedMs, Qt::PreciseTimer, this,
                           [this, t] { SendSensor(t.boardB, t.inputB, false); });
    };
    connect(timer, &QTimer::timeout, this, run);
    QTimer::singleShot(t.startMs, this, [timer, run] {
        run();
        timer->start();
    });
}

void TSimLocoNet::Start()
{
    if (started_)
        return;
    started_ = true;
    for (const TSimSensorEvent& e : settings_.sensors)
        QTimer::singleShot(e.atMs, Qt::PreciseTimer, this, [this, e] { SendSensor(e.board, e.input, e.on); });
    for (const TSimTrain& t : settings_.trains)
        StartTrain(t);
}
