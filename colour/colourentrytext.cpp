#include "colour/colourentrytext.h"

#include "components/textutils.h"

#include <QStringList>

namespace pictaron {

EntryCheck CheckEntryText(const QString& text, EntryMode mode)
{
    if (mode == EntryMode::Hex)
        return text.size() == 6 ? EntryCheck::Valid : EntryCheck::Invalid;

    const QStringList parts = SplitText(text, QStringLiteral(","));
    if (parts.size() != 3)
        return EntryCheck::Invalid;
    for (const QString& part : parts) {
        bool ok = false;
        const qlonglong value = part.toLongLong(&ok, 10);
        if (!ok || value < 0)
            return EntryCheck::Invalid;
        if (value > 255)
            return EntryCheck::OutOfRange;
    }
    return EntryCheck::Valid;
}

QString AllowedEntryCharacters(EntryMode mode)
{
    return mode == EntryMode::Hex ? QStringLiteral("1234567890abcdef") : QStringLiteral("1234567890,");
}

QString HexEntryToDecimal(const QString& text)
{
    bool allDigits = true;
    for (const QChar c : text)
        allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (allDigits)
        return text;

    QStringList numbers;
    for (int at = 0; at < 6; at += 2) {
        const bool take = at == 0 ? text.size() > 1 : at == 2 ? text.size() > 3 : text.size() == 6;
        if (!take)
            break;
        bool ok = false;
        const int value = text.mid(at, 2).toInt(&ok, 16);
        if (!ok || value < 0)
            return text;
        numbers << QString::number(value);
    }
    return numbers.join(QLatin1Char(','));
}

QString DecimalEntryToHex(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(','));
    return digits.left(5);
}

} // namespace pictaron
