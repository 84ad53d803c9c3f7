// What the widget tests share: a settings store in a temporary folder, a
// quiet simulated LocoNet with a recorder of every packet on it, and error
// and notice displays that collect instead of blocking.
#pragma once

#include "app/common/Appsettings.h"
#include "app/common/Formsupport.h"
#include "boards/core/Tconfigurableboard.h"
#include "link/Lnmessage.h"
#include "platform/Linkports.h"
#include "sim/Simloconet.h"

#include <QPushButton>
#include <QByteArray>
#include <QDialog>
#include <QDialogButtonBox>
#include <QList>
#include <QObject>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sstream>
#include <string>

// Points every QSettings of this process at a fresh temporary folder.
class TTempSettings {
public:
    TTempSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    void Clear() { OpenSettingsStore()->clear(); }
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// A simulated LocoNet without trains or boards (only what a test asks for),
// and the packets seen on it.
class TBusRecorder : public QObject {
public:
    explicit TBusRecorder(bool locoBuffer = true)
    {
        TSimSettings settings;
        settings.locoBuffer = locoBuffer;
        ConfigureSimulatedLocoNet(settings);
        QObject::connect(&SimulatedLocoNet().Bus(), &TSimBus::Delivered, this,
                         [this](const QByteArray& packet) { packets.append(packet); });
    }

    // Puts bytes on the wire as another party would.
    void Inject(const QByteArray& bytes) { SimulatedLocoNet().Bus().Send(bytes); }

    // The packets seen so far as hexadecimal texts ("B0 00 30 7F").
    QStringList HexPackets() const
    {
        QStringList out;
        for (const QByteArray& p : packets)
            out << QString::fromLatin1(p.toHex(' ').toUpper());
        return out;
    }

    QList<QByteArray> packets;
};

// Until a test sets displays of its own, a box that would wait for an
// operator is answered at once (No, no file chosen) and shown as a warning
// in the test's output instead, so that no test can hang on one.
struct TNoBlockingBoxes {
    TNoBlockingBoxes() { Install(); }
    static void Install()
    {
        InstallErrors();
        InstallQuestions();
    }
    // Each part alone, for a test's displays that replaced only that part.
    static void InstallErrors()
    {
        SetErrorDisplay([](QWidget*, const QString& text) {
            qWarning("an error box the test did not expect: %s", qPrintable(text));
        });
    }
    static void InstallQuestions()  // and the file dialogs
    {
        SetQuestionDisplay([](QWidget*, const QString& caption, const QString& text, bool) {
            qWarning("a question the test did not answer, answered No: %s: %s", qPrintable(caption), qPrintable(text));
            return TAnswer::No;
        });
        SetFileDialogDisplay([](QWidget*, const TFileDialogRequest& request) {
            qWarning("a file dialog the test did not answer, cancelled: %s", qPrintable(request.title));
            return QString();
        });
    }
};
inline const TNoBlockingBoxes kNoBlockingBoxes;

// Errors and notices collected instead of shown in message boxes.
struct TCollectedDisplays {
    QStringList errors;
    QStringList notices;  // "caption|text"
    TCollectedDisplays()
    {
        SetErrorDisplay([this](QWidget*, const QString& text) { errors << text; });
        SetNoticeDisplay([this](QWidget*, const QString& caption, const QString& text) {
            notices << caption + QLatin1Char('|') + text;
        });
    }
    ~TCollectedDisplays()
    {
        SetNoticeDisplay({});
        TNoBlockingBoxes::InstallErrors();
    }
};

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

inline TLocoNetMessage MessageOf(std::initializer_list<int> values)
{
    const QByteArray b = Bytes(values);
    return TLocoNetMessage(reinterpret_cast<const uint8_t*>(b.constData()), static_cast<uint32_t>(b.size()));
}

// A board as its configuration file holds it: what the editor tests compare.
inline std::string FileOf(TConfigurableBoard& board)
{
    std::ostringstream out;
    board.WriteToFile(out);
    return out.str();
}

// Clicks one of a dialog's buttons (OK, Cancel, Help).
inline void Press(QDialog* dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}
