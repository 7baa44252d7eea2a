// The engine's plain types in the toolkit's terms, for the window and the
// tests: the engine itself never includes this.
#pragma once

#include "components/plaintext.h"
#include "components/sizes.h"

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

namespace pictaron {

inline QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

// Bytes (a file's, an encoder's) both ways; the view lasts as long as the array.
inline QByteArray ToQByteArray(std::string_view bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string_view BytesView(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

inline QStringList ToQStringList(const Texts& texts)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts)
        list.append(ToQString(text));
    return list;
}

inline Texts ToTexts(const QStringList& list)
{
    Texts texts;
    texts.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& text : list)
        texts.push_back(text.toStdString());
    return texts;
}

inline QSize ToQSize(Size size) { return {size.width(), size.height()}; }
inline Size ToSize(QSize size) { return {size.width(), size.height()}; }
inline QPoint ToQPoint(Point point) { return {point.x(), point.y()}; }
inline Point ToPoint(QPoint point) { return {point.x(), point.y()}; }

} // namespace pictaron
