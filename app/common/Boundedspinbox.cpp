#include "app/common/Boundedspinbox.h"

TBoundedSpinBox::TBoundedSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State TBoundedSpinBox::validate(QString& input, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state == QValidator::Invalid && OutOfRange(input).has_value())
        return QValidator::Intermediate;
    return state;
}

void TBoundedSpinBox::fixup(QString& input) const
{
    if (const std::optional<int> bound = OutOfRange(input))
        input = textFromValue(*bound);
    else
        QSpinBox::fixup(input);
}

std::optional<int> TBoundedSpinBox::OutOfRange(const QString& input) const
{
    QString digits = input;
    if (!prefix().isEmpty() && digits.startsWith(prefix()))
        digits.remove(0, prefix().size());
    if (!suffix().isEmpty() && digits.endsWith(suffix()))
        digits.chop(suffix().size());
    bool ok = false;
    const qlonglong number = locale().toLongLong(digits.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    if (number > maximum())
        return maximum();
    if (number < minimum())
        return minimum();
    return std::nullopt;
}
