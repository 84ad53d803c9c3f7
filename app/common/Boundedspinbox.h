// A number field that takes a number typed beyond its range as its nearest
// bound, as every number field of the program should.
#pragma once

#include <QSpinBox>

#include <optional>

// QSpinBox refuses a keystroke that takes the number out of range, so "300"
// typed into 0..255 ends as "30". Taking such a number as unfinished lets
// the correction to the nearest bound do its work when the field is left
// (or Enter is pressed).
class TBoundedSpinBox : public QSpinBox {
public:
    explicit TBoundedSpinBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    // The nearest bound of a whole number typed beyond the range.
    std::optional<int> OutOfRange(const QString& input) const;
};
