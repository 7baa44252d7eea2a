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

bool EntryTextAllowed(const QString& text, EntryMode mode)
{
    const auto only = [](const QString& part, const QString& allowed) {
        for (const QChar c : part)
            if (c != QLatin1Char('.') && !allowed.contains(c.toLower()))
                return false;
        return true;
    };
    const bool comma = text.contains(QLatin1Char(','));
    if ((mode == EntryMode::Decimal || comma) && only(text, AllowedEntryCharacters(EntryMode::Decimal)))
        return true;
    if (comma)
        return false;
    const QString digits = text.startsWith(QLatin1Char('#')) ? text.mid(1) : text;
    return digits.size() <= 6 && only(digits, AllowedEntryCharacters(EntryMode::Hex));
}

EntryMode EntryModeOfText(const QString& text, EntryMode mode)
{
    if (text.contains(QLatin1Char(',')))
        return EntryMode::Decimal;
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        if (lower >= QLatin1Char('a') && lower <= QLatin1Char('f'))
            return EntryMode::Hex;
    }
    return mode;
}

} // namespace pictaron
