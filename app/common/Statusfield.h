// A field of the main window's status strip: one line of text that gives up
// its width to its neighbours by eliding at the right, with the whole text
// always at hand as its tooltip.
#pragma once

#include <QLabel>

class TStatusField : public QLabel {
    Q_OBJECT
public:
    // minimumWidth: the narrowest the strip may squeeze the field to [px].
    TStatusField(const QString& text, int minimumWidth, QWidget* parent = nullptr);

    // Sets the text and its tooltip together.
    void setText(const QString& text);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimumWidth_;
};
