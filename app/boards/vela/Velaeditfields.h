// Fields the signal board editors share: the delay list, combo boxes that
// keep a code the editor does not offer, the condition lists with their
// Define and Learn buttons, the signal and zone lists, and where a child
// editor opens.
#pragma once

#include "app/boards/Editorsupport.h"

#include <QPoint>
#include <QString>

#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QWidget;
class TConditionSet;

namespace velaedit {

// The 33 delay items: "No delay", "0.25s", ... "8s"; the index is the delay in quarter seconds.
std::vector<std::string> DelayItems();

// The combo boxes that keep a code they do not offer (Editorsupport.h).
using ::ShowCode;
using ::StoredCode;

// A condition list shows the display text of every condition of its set,
// "(No Condition)" entries included.
QListWidget* MakeConditionList(QWidget* parent, const QString& objectName, int visibleRows);
void FillConditionList(QListWidget* list, const TConditionSet& set);
void FillNotApplicable(QListWidget* list);

// A titled panel with a condition list and its Define and Learn buttons
// (Learn is always disabled: the boards cannot be taught over the bus).
struct TConditionPanel {
    QGroupBox* box = nullptr;
    QListWidget* list = nullptr;
    QPushButton* define = nullptr;
    QPushButton* learn = nullptr;
};
TConditionPanel MakeConditionPanel(QWidget* parent, const QString& title, const QString& listName,
                                   const QString& defineName, const QString& learnName, int visibleRows);

// A list of tab-separated texts (the models' list texts) shown in columns.
QTreeWidget* MakeColumnList(QWidget* parent, const QString& objectName, int columns, int visibleRows);
void FillColumnList(QTreeWidget* list, const std::vector<std::string>& texts);

// Child editors open 30 pixels right of and below their opener's corner.
QPoint ChildPosition(const QWidget* opener);

}  // namespace velaedit
