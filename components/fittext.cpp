#include "components/fittext.h"

namespace pictaron {

namespace {

const QString kDots = QStringLiteral("...");

// The text with `removed` characters taken out around its middle; a little
// more of the start than of the end stays when the remainder is odd.
QString WithoutMiddle(const QString& text, qsizetype removed)
{
    const qsizetype kept = text.size() - removed;
    const qsizetype head = (kept + 1) / 2;
    return text.left(head) + kDots + text.right(kept - head);
}

} // namespace

QString FitTextToWidth(const QString& text, int width, const MeasureText& measure)
{
    if (measure(text) <= width)
        return text;
    // Taking one more character out never widens the text, so the least
    // number of characters to remove is found by halving.
    qsizetype low = 1;
    qsizetype high = text.size();
    if (measure(WithoutMiddle(text, high)) > width) {
        QString dots = kDots;
        while (!dots.isEmpty() && measure(dots) > width)
            dots.chop(1);
        return dots;
    }
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (measure(WithoutMiddle(text, mid)) <= width)
            high = mid;
        else
            low = mid + 1;
    }
    return WithoutMiddle(text, low);
}

QString FitTextToWidth(const QString& text, int width, const QFontMetrics& metrics)
{
    return FitTextToWidth(text, width, [&metrics](const QString& line) { return metrics.horizontalAdvance(line); });
}

} // namespace pictaron
