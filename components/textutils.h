// String helpers shared by every window and by the engine's file readers.
//
// Positions in these helpers are 1-based and searches ignore letter case where
// the name says so, because the callers (settings values, report texts, menu
// captions) were always written that way.
#pragma once

#include <QString>
#include <QStringList>

namespace pictaron {

// Splits text at every occurrence of delimiter (letter case ignored). An empty
// piece between two delimiters is kept; a delimiter at the very end adds no
// empty piece. An empty text gives no pieces.
QStringList SplitText(const QString& text, const QString& delimiter);

// 1-based position of pattern in text, letter case ignored; 0 when absent.
// Patterns of 9 or more characters use a Boyer-Moore-Horspool skip table.
int PosNoCase(const QString& pattern, const QString& text);

// Replaces every occurrence left to right without re-scanning inserted text.
// An empty find text leaves the text as it is.
QString ReplaceAllText(const QString& text, const QString& find, const QString& replacement,
                       bool caseSensitive);

// The text before / after the first occurrence of separator (letter case
// ignored). When the separator is absent, the whole text or the empty text as
// wholeIfAbsent says; TextBefore also falls back so when the separator is the
// first character.
QString TextBefore(const QString& text, const QString& separator, bool wholeIfAbsent);
QString TextAfter(const QString& text, const QString& separator, bool wholeIfAbsent);

// "yes", "true" or "1" in any letter case.
bool IsTrueText(const QString& text);

// The text as a decimal integer, or fallback when it is not one (also when it
// does not fit 32 bits: nothing wraps).
int IntOrDefault(const QString& text, int fallback);

} // namespace pictaron
