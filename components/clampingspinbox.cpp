#include "components/clampingspinbox.h"

#include <algorithm>

namespace pictaron {

namespace {

// Digits only, with room for one more than the widest bound needs.
bool IsNumberText(const QString& text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

QValidator::State ClampingSpinBox::validate(QString& text, int& position) const
{
    const QString number = text.trimmed();
    if (number.isEmpty())
        return QValidator::Intermediate;
    if (!IsNumberText(number, QString::number(maximum()).size() + 1))
        return QValidator::Invalid;
    const int value = number.toInt();
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void ClampingSpinBox::fixup(QString& text) const
{
    const QString number = text.trimmed();
    const int value = number.isEmpty() ? minimum() : std::clamp(number.toInt(), minimum(), maximum());
    text = QString::number(value);
}

} // namespace pictaron
