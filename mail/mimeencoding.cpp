#include "mail/mimeencoding.h"

#include <QStringView>

namespace pictaron {

namespace {

bool IsPrintableAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// "=?UTF-8?B?" + base64 + "?=" may be 75 characters long: 63 characters of
// base64, so whole groups of 4 hold 45 bytes of UTF-8.
constexpr int kWordBytes = 45;

QByteArray EncodedWords(const QString& text)
{
    QByteArray result;
    QByteArray chunk;
    auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!result.isEmpty())
            result += "\r\n ";
        result += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    // Walk whole code points so that no word ends inside a character.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ? 2
                : 1;
        const QByteArray bytes = QStringView(text).mid(i, length).toUtf8();
        if (chunk.size() + bytes.size() > kWordBytes)
            flush();
        chunk += bytes;
        i += length;
    }
    flush();
    return result;
}

} // namespace

QByteArray EncodeHeaderText(const QString& text)
{
    // "=?" in plain text would be read as the start of an encoded word.
    if (IsPrintableAscii(text) && !text.contains(QLatin1String("=?")))
        return text.toLatin1();
    return EncodedWords(text);
}

QByteArray EncodeDisplayName(const QString& name)
{
    if (!IsPrintableAscii(name))
        return EncodedWords(name);
    QByteArray quoted = "\"";
    for (const QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += '\\';
        quoted += char(c.unicode());
    }
    return quoted + '"';
}

QByteArray QuotedPrintable(const QByteArray& utf8)
{
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray result;
    int column = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        // Only CR LF is a line break; a lone CR or LF is data and gets encoded.
        if (utf8.at(i) == '\r' && i + 1 < utf8.size() && utf8.at(i + 1) == '\n') {
            result += "\r\n";
            column = 0;
            ++i;
            continue;
        }
        const auto byte = static_cast<unsigned char>(utf8.at(i));
        const bool lineEnds = i + 1 == utf8.size() || utf8.mid(i + 1, 2) == "\r\n";
        const bool blank = byte == ' ' || byte == '\t';
        QByteArray token;
        if ((byte >= 33 && byte <= 126 && byte != '=') || (blank && !lineEnds))
            token = QByteArray(1, char(byte));
        else
            token = QByteArray{"="} + kHex[byte >> 4] + kHex[byte & 15];
        if (column + token.size() > 75) {
            result += "=\r\n";
            column = 0;
        }
        result += token;
        column += int(token.size());
    }
    return result;
}

} // namespace pictaron
