// What every board editor window shares: one small helper per kind of field,
// the dialog's button box, and the live check of whether the board's
// configuration computes. Editors ask the model for every rule and text and
// only move values between these controls and the model.
#pragma once

#include <QLabel>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;
class QComboBox;
class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;
class QWidget;
class TConfigurableBoard;

// A spin edit for min..max. A typed value outside the range is corrected to
// the nearest bound when the field is left or OK is pressed, so what it shows
// is what OK stores.
QSpinBox* MakeSpin(QWidget* parent, const QString& objectName, int minimum, int maximum, int value = 0);
// The serial number of a board, 0 to maximum. 0 is a new board's "not set
// yet" and shows as such: a range from 1 would show 1 instead, and OK would
// store an address that may be another board's.
QSpinBox* MakeSerialSpin(QWidget* parent, const QString& objectName, int maximum, int value = 0);
// A number 1 to maximum that may be 0 for "none" (no zone, no next signal),
// and shows it so: a range from 1 would show 1 instead, and OK would store it.
QSpinBox* MakeNoneSpin(QWidget* parent, const QString& objectName, int maximum, int value = 0);
// Shows a stored number. One beyond the spin edit's range (a board read back
// may hold any) widens the range to take it, so that it shows as it is and OK
// keeps it, rather than showing and storing the nearest bound.
void ShowNumber(QSpinBox* spin, int value);
// A drop-down list of the model's names; the index is the model's code.
QComboBox* MakeCombo(QWidget* parent, const QString& objectName, const std::vector<std::string>& names,
                     int index = 0);
// Selects the item of a stored code. A code the combo does not offer (a
// board read back from the hardware, or a file, may hold one) shows no item,
// and StoredCode hands the old code back unless the operator picked an item,
// so opening and closing an editor never changes such a setting.
void ShowCode(QComboBox* combo, int code);
int StoredCode(const QComboBox* combo, int loadedCode);
// A one-line text field limited to maxLength characters (0: no limit).
QLineEdit* MakeText(QWidget* parent, const QString& objectName, const std::string& text, int maxLength = 0);

// OK, Cancel and Help in the platform's order: OK is the default button
// (Enter), Escape cancels, Help opens the topic (none when topic is 0).
// OK and Cancel are wired to the dialog's accept and reject.
QDialogButtonBox* MakeDialogButtons(QDialog* dialog, int helpTopic);

// Enter on the list runs open (the row's editor) instead of reaching the
// dialog's default button, which would close the dialog with OK.
void OpenOnEnter(QAbstractItemView* list, std::function<void()> open);

// Places a dialog at a point of the screen, kept inside the screen it is on.
void PlaceDialog(QDialog* dialog, const QPoint& position);

// Says, live, whether a board's configuration computes: the board's
// SvErrorText in red when ComputeSvImage fails, nothing when it succeeds.
class TSvCheckLabel : public QLabel {
public:
    explicit TSvCheckLabel(QWidget* parent = nullptr);
    // Computes the board's image and shows the result; true when it computes.
    bool Check(TConfigurableBoard& board);
};

// Texts between the model (std::string) and the controls (QString), byte
// for byte both ways: a text the box was given comes back as it was. Files of
// older programs and boards read back hold bytes that are no UTF-8 (a name in
// the Windows character set, a MUV7 sequence name of random bytes); each such
// byte stands in the box as a character of its own from the private use area
// (U+EF80 to U+EFFF), which FromQ turns back into the byte. Text typed is
// stored as UTF-8.
QString ToQ(const std::string& text);
std::string FromQ(const QString& text);
