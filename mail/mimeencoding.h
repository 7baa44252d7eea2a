// The two MIME encodings an outgoing message needs: encoded words for header
// text that is not plain ASCII (RFC 2047) and quoted-printable for the body
// (RFC 2045), so that every line on the wire is short 7-bit text whatever the
// user typed.
#pragma once

#include <QByteArray>
#include <QString>

namespace pictaron {

// Header text as it may follow "Subject: ": printable ASCII stays as it is;
// anything else becomes "=?UTF-8?B?…?=" words of at most 75 characters,
// never splitting a character, joined by CR LF and a space (a folded line).
QByteArray EncodeHeaderText(const QString& text);

// A display name for "From:": a quoted string when it is printable ASCII,
// encoded words otherwise.
QByteArray EncodeDisplayName(const QString& name);

// Quoted-printable of UTF-8 text whose lines end in CR LF: the line breaks
// stay, "=", non-ASCII and control bytes become "=XX", a space or tab before
// a line end is encoded, and soft breaks keep every line within 76 characters.
QByteArray QuotedPrintable(const QByteArray& utf8);

} // namespace pictaron
