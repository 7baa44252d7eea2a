#include "components/textutils.h"

#include <array>

namespace pictaron {

QStringList SplitText(const QString& text, const QString& delimiter)
{
    QStringList pieces;
    if (delimiter.isEmpty()) {
        if (!text.isEmpty())
            pieces << text;
        return pieces;
    }
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype found = text.indexOf(delimiter, from, Qt::CaseInsensitive);
        if (found < 0) {
            pieces << text.mid(from);
            break;
        }
        pieces << text.mid(from, found - from);
        from = found + delimiter.size();
    }
    return pieces;
}

namespace {

QChar Folded(QChar c) { return c.toLower(); }

// Horspool's skip table over the low byte of each folded character: a
// character whose low byte matches a pattern character only ever shortens a
// skip, so sharing table entries stays correct.
int HorspoolSearch(const QString& pattern, const QString& text)
{
    const qsizetype m = pattern.size();
    std::array<qsizetype, 256> skip;
    skip.fill(m);
    for (qsizetype i = 0; i < m - 1; ++i)
        skip[Folded(pattern[i]).unicode() & 0xFF] = m - 1 - i;

    qsizetype at = 0;
    while (at + m <= text.size()) {
        qsizetype j = m - 1;
        while (j >= 0 && Folded(text[at + j]) == Folded(pattern[j]))
            --j;
        if (j < 0)
            return static_cast<int>(at + 1);
        at += skip[Folded(text[at + m - 1]).unicode() & 0xFF];
    }
    return 0;
}

} // namespace

int PosNoCase(const QString& pattern, const QString& text)
{
    if (pattern.isEmpty() || pattern.size() > text.size())
        return 0;
    if (pattern.size() >= 9)
        return HorspoolSearch(pattern, text);
    return static_cast<int>(text.indexOf(pattern, 0, Qt::CaseInsensitive) + 1);
}

QString ReplaceAllText(const QString& text, const QString& find, const QString& replacement,
                       bool caseSensitive)
{
    if (find.isEmpty())
        return text;
    QString result = text;
    return result.replace(find, replacement, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

QString TextBefore(const QString& text, const QString& separator, bool wholeIfAbsent)
{
    const int at = PosNoCase(separator, text);
    if (at > 1)
        return text.left(at - 1);
    return wholeIfAbsent ? text : QString();
}

QString TextAfter(const QString& text, const QString& separator, bool wholeIfAbsent)
{
    const int at = PosNoCase(separator, text);
    if (at > 0)
        return text.mid(at - 1 + separator.size());
    return wholeIfAbsent ? text : QString();
}

bool IsTrueText(const QString& text)
{
    return text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

int IntOrDefault(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}

} // namespace pictaron
