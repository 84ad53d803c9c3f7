// A list view for very long lists of one-line rows, such as the message
// display's: it draws only the rows in sight and does no per-row layout, so
// taking in new rows and scrolling cost the same at a million rows as at ten.
// (A QListView lays out every row again on each insertion.)
//
// Rows come from any list model's DisplayRole. A click selects a row,
// shift-click or dragging a range; Ctrl+C copies the selected rows.
//
// The view follows the newest row while it is at its end. Once the operator
// scrolls up, holds the scroll bar's handle or selects, it stays where it was
// put, and a note at its foot counts the rows that arrived since; the End
// key, a click on the note or scrolling back to the end follow again.
#pragma once

#include <QAbstractScrollArea>

class QAbstractItemModel;
class QPushButton;

class TMessageListView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TMessageListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return model_; }

    int LineHeight() const;
    int TopRow() const;
    int VisibleRows() const;  // rows that fit wholly
    int RowCount() const;
    int RowAt(int y) const;   // -1 below the last row

    void ScrollToBottom();  // and follow the newest row again
    void ScrollToRow(int row);
    // Selects the row, brings it into sight and holds it there (a found line).
    void HoldAtRow(int row);

    bool Following() const { return following_; }
    int WaitingRows() const;  // rows arrived below since following stopped
    QPushButton* NewRowsNote() const { return note_; }

    // Selection: the rows between the anchor and the current row.
    void SelectRows(int anchor, int current);
    void ClearSelection();
    bool IsSelected(int row) const;
    int CurrentRow() const { return current_; }  // -1 with nothing selected
    QString SelectedText() const;  // the selected rows, one a line

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RowsChanged();
    void UpdateScrollBars();
    void MoveCurrent(int row, bool extend);
    void StopFollowing();
    void UserScrolled();
    void UpdateNote();
    void PlaceNote();
    void ReserveNoteRoom(int height);  // [px] below the rows; 0 gives it back
    void SetScrollValue(int value);

    QAbstractItemModel* model_ = nullptr;
    int anchor_ = -1;
    int current_ = -1;
    int widest_ = 0;  // widest row drawn so far [px]
    bool following_ = true;
    int rowsWhenLeft_ = 0;     // rows there were when following stopped
    bool scrollingByCode_ = false;
    QPushButton* note_ = nullptr;
};
