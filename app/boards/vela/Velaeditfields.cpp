#include "app/boards/vela/Velaeditfields.h"

#include "app/boards/Editorsupport.h"
#include "boards/vela/Tconditionset.h"
#include "boards/vela/Tvelalayout.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

namespace velaedit {

std::vector<std::string> DelayItems()
{
    std::vector<std::string> items{"No delay"};
    for (int quarters = 1; quarters <= 32; ++quarters)
        items.push_back(vela::QuarterSecondsText(quarters) + "s");
    return items;
}

static int RowsHeight(const QWidget* widget, int rows)
{
    return rows * (QFontMetrics(widget->font()).height() + 2) + 2 * widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
}

QListWidget* MakeConditionList(QWidget* parent, const QString& objectName, int visibleRows)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setFixedHeight(RowsHeight(list, visibleRows));
    list->setMinimumWidth(QFontMetrics(list->font()).horizontalAdvance(QStringLiteral("Sensor 2048,16 is Unoccupied, AND")) + 30);
    return list;
}

void FillConditionList(QListWidget* list, const TConditionSet& set)
{
    list->clear();
    for (int i = 0; i < set.Capacity(); ++i)
        list->addItem(ToQ(set.ConditionAt(i).DisplayText()));
}

void FillNotApplicable(QListWidget* list)
{
    list->clear();
    list->addItem(QStringLiteral("N/A"));
}

TConditionPanel MakeConditionPanel(QWidget* parent, const QString& title, const QString& listName,
                                   const QString& defineName, const QString& learnName, int visibleRows)
{
    TConditionPanel panel;
    panel.box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(panel.box);
    panel.list = MakeConditionList(panel.box, listName, visibleRows);
    panel.define = new QPushButton(QStringLiteral("Define"), panel.box);
    panel.define->setObjectName(defineName);
    panel.define->setAutoDefault(false);
    panel.learn = new QPushButton(QStringLiteral("Learn"), panel.box);
    panel.learn->setObjectName(learnName);
    panel.learn->setAutoDefault(false);
    panel.learn->setEnabled(false);
    grid->addWidget(panel.list, 0, 0, 3, 1);
    grid->addWidget(panel.define, 0, 1);
    grid->addWidget(panel.learn, 1, 1);
    grid->setRowStretch(2, 1);
    return panel;
}

QTreeWidget* MakeColumnList(QWidget* parent, const QString& objectName, int columns, int visibleRows)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(objectName);
    list->setColumnCount(columns);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(true);
    const QFontMetrics metrics(list->font());
    for (int c = 0; c + 1 < columns; ++c)
        list->setColumnWidth(c, metrics.horizontalAdvance(c == 0 ? QStringLiteral("000") : QStringLiteral("Diverging")) + 16);
    list->setFixedHeight(RowsHeight(list, visibleRows) + 2 * visibleRows);
    return list;
}

void FillColumnList(QTreeWidget* list, const std::vector<std::string>& texts)
{
    list->clear();
    for (const std::string& text : texts)
        list->addTopLevelItem(new QTreeWidgetItem(ToQ(text).split(QLatin1Char('\t'))));
}

QPoint ChildPosition(const QWidget* opener)
{
    return opener->window()->frameGeometry().topLeft() + QPoint(30, 30);
}

}  // namespace velaedit
