#include "sim/Simptyserver.h"

#include "sim/Simbus.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kIdleFlushMs = 20;     // a cut packet goes out after this much silence
constexpr int kMaxBacklog = 65536;   // bytes kept for a client that does not read

}  // namespace

TSimPtyServer::TSimPtyServer(TSimBus& bus, QObject* parent)
    : QObject(parent), bus_(bus), packetizer_([this](const QByteArray& p) { bus_.Send(p, this); })
{
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { packetizer_.Flush(); });
}

bool TSimPtyServer::Supported()
{
    return true;
}

TSimPtyServer::~TSimPtyServer()
{
    Stop();
}

bool TSimPtyServer::Start(QString& error)
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        Stop();
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        Stop();
        return false;
    }
    path_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ >= 0) {
        termios t{};
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TSimPtyServer::OnReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &TSimPtyServer::OnWritable);
    connect(&bus_, &TSimBus::Delivered, this, &TSimPtyServer::OnDelivered);
    return true;
}

void TSimPtyServer::Stop()
{
    disconnect(&bus_, nullptr, this, nullptr);
    delete readNotifier_;
    readNotifier_ = nullptr;
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

void TSimPtyServer::OnReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got > 0) {
            packetizer_.Feed(QByteArray(buffer, qsizetype(got)));
            continue;
        }
        break;  // EAGAIN, or no client (EIO): wait for the next notice
    }
    if (packetizer_.HasPartial())
        idle_.start(kIdleFlushMs);
}

void TSimPtyServer::OnDelivered(const QByteArray& packet)
{
    out_.append(packet);
    if (out_.size() > kMaxBacklog)
        out_.remove(0, out_.size() - kMaxBacklog);
    Push();
}

void TSimPtyServer::OnWritable()
{
    Push();
}

void TSimPtyServer::Push()
{
    while (!out_.isEmpty() && master_ >= 0) {
        const ssize_t put = ::write(master_, out_.constData(), size_t(out_.size()));
        if (put <= 0)
            break;
        out_.remove(0, qsizetype(put));
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(!out_.isEmpty());
}
