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
