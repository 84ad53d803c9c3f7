#include "app/boards/Editorsupport.h"

#include "app/common/Boundedspinbox.h"
#include "app/common/Formsupport.h"
#include "boards/core/Tconfigurableboard.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>

#include <algorithm>

namespace {

// A byte that is no part of well-formed UTF-8 is shown as this plus the byte.
constexpr char16_t kByteEscape = 0xEF00;

bool IsByteEscape(char16_t c)
{
    return c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF;
}

// Length of the well-formed UTF-8 sequence at text[i]; 0 when there is none.
size_t Utf8Length(const std::string& text, size_t i)
{
    const auto byte = [&text](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size())
        return 0;
    char32_t point = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    if (length == 3 && (point < 0x800 || (point >= 0xD800 && point <= 0xDFFF)))
        return 0;
    if (length == 4 && (point < 0x10000 || point > 0x10FFFF))
        return 0;
    // The escapes' own characters, written as UTF-8, would read back as the
    // bytes they stand for: their bytes are escaped one by one instead.
    if (point <= 0xFFFF && IsByteEscape(char16_t(point)))
        return 0;
    return length;
}

}  // namespace

QSpinBox* MakeSpin(QWidget* parent, const QString& objectName, int minimum, int maximum, int value)
{
    auto* spin = new TBoundedSpinBox(parent);
    spin->setObjectName(objectName);
    spin->setRange(minimum, maximum);
    spin->setKeyboardTracking(false);
    spin->setValue(value);
    return spin;
}

QSpinBox* MakeSerialSpin(QWidget* parent, const QString& objectName, int maximum, int value)
{
    QSpinBox* spin = MakeSpin(parent, objectName, 0, maximum, value);
    spin->setSpecialValueText(QStringLiteral("not set yet"));
    return spin;
}

QSpinBox* MakeNoneSpin(QWidget* parent, const QString& objectName, int maximum, int value)
{
    QSpinBox* spin = MakeSpin(parent, objectName, 0, maximum, value);
    spin->setSpecialValueText(QStringLiteral("none"));
    return spin;
}

void ShowNumber(QSpinBox* spin, int value)
{
    if (value < spin->minimum() || value > spin->maximum())
        spin->setRange(std::min(value, spin->minimum()), std::max(value, spin->maximum()));
    spin->setValue(value);
}

QComboBox* MakeCombo(QWidget* parent, const QString& objectName, const std::vector<std::string>& names, int index)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    for (const std::string& name : names)
        combo->addItem(ToQ(name));
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : 0);
    return combo;
}

namespace {

class TEnterFilter : public QObject {
public:
    TEnterFilter(QObject* parent, std::function<void()> open) : QObject(parent), open_(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                open_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> open_;
};

}  // namespace

void OpenOnEnter(QAbstractItemView* list, std::function<void()> open)
{
    list->installEventFilter(new TEnterFilter(list, std::move(open)));
}

void ShowCode(QComboBox* combo, int code)
{
    combo->setCurrentIndex(code >= 0 && code < combo->count() ? code : -1);
}

int StoredCode(const QComboBox* combo, int loadedCode)
{
    return combo->currentIndex() >= 0 ? combo->currentIndex() : loadedCode;
}

QLineEdit* MakeText(QWidget* parent, const QString& objectName, const std::string& text, int maxLength)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->setText(ToQ(text));
    return edit;
}

QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic)
{
    auto buttons = QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
    if (helpTopic != 0)
        buttons |= QDialogButtonBox::Help;
    auto* box = new QDialogButtonBox(buttons, dialog);
    box->setObjectName(QStringLiteral("ButtonBox"));
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, [dialog] {
        // A spin edit being typed into takes its corrected value before OK reads it.
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(dialog->focusWidget()))
            spin->interpretText();
        dialog->accept();
    });
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    if (helpTopic != 0) {
        SetHelpContext(dialog, helpTopic);
        QObject::connect(box, &QDialogButtonBox::helpRequested, dialog, [helpTopic] { ShowHelpTopic(helpTopic); });
        // F1 as well: the program's own F1 does not reach past a modal window.
        auto* f1 = new QShortcut(QKeySequence::HelpContents, dialog);
        QObject::connect(f1, &QShortcut::activated, dialog, [helpTopic] { ShowHelpTopic(helpTopic); });
    }
    return box;
}

void PlaceDialog(QDialog* dialog, const QPoint& position)
{
    dialog->adjustSize();
    QRect frame(position, dialog->frameGeometry().size());
    if (const QScreen* screen = QGuiApplication::screenAt(position) ? QGuiApplication::screenAt(position)
                                                                     : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        if (frame.right() > room.right())
            frame.moveRight(room.right());
        if (frame.bottom() > room.bottom())
            frame.moveBottom(room.bottom());
        if (frame.left() < room.left())
            frame.moveLeft(room.left());
        if (frame.top() < room.top())
            frame.moveTop(room.top());
    }
    dialog->move(frame.topLeft());
}

TSvCheckLabel::TSvCheckLabel(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("SvCheckLabel"));
    setStyleSheet(QStringLiteral("color: #c00000;"));
    setWordWrap(true);
}

bool TSvCheckLabel::Check(TConfigurableBoard& board)
{
    const bool computes = board.ComputeSvImage();
    setText(computes ? QString() : ToQ(board.SvErrorText()));
    return computes;
}

QString ToQ(const std::string& text)
{
    QString out;
    out.reserve(qsizetype(text.size()));
    size_t run = 0;  // start of the well-formed part not added yet
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(text.data() + run, qsizetype(i - run));
        out += QChar(char16_t(kByteEscape + static_cast<unsigned char>(text[i])));
        run = ++i;
    }
    out += QString::fromUtf8(text.data() + run, qsizetype(text.size() - run));
    return out;
}

std::string FromQ(const QString& text)
{
    std::string out;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (!IsByteEscape(c))
            continue;
        out += QStringView(text).mid(run, i - run).toUtf8().toStdString();
        out += static_cast<char>(c - kByteEscape);
        run = i + 1;
    }
    out += QStringView(text).mid(run).toUtf8().toStdString();
    return out;
}
