// The text rules of the colour entry control, apart from the control so that
// they can be read and tested on their own.
//
// Hex mode takes six hexadecimal digits (FF8000); decimal mode three numbers
// from 0 to 255 separated by commas (255,128,0).
#pragma once

#include <QString>

namespace pictaron {

enum class EntryMode { Hex, Decimal };

enum class EntryCheck {
    Valid,
    Invalid,
    // Decimal mode: a part is a number of 256 or more (the one case the user
    // is told about).
    OutOfRange,
};

// Hex: exactly six characters (whether they are hexadecimal is found when the
// text is converted). Decimal: three parts between commas (a comma at the very
// end adds no part), each a number from 0 to 255; the first part of 256 or
// more gives OutOfRange.
EntryCheck CheckEntryText(const QString& text, EntryMode mode);

// The characters that may be typed in a mode (letter case ignored; a full stop
// and backspace always pass).
QString AllowedEntryCharacters(EntryMode mode);

// The comma key in hex mode: a text holding anything but decimal digits is
// rewritten in decimal, pair by pair: characters 1-2 when it is longer than 1,
// 3-4 when longer than 3, 5-6 when exactly 6 long (FF8000 -> 255,128,0; FF80 ->
// 255,128; one character -> empty). An all-digit text, or one with a pair that
// is not hexadecimal, stays as it is.
QString HexEntryToDecimal(const QString& text);

// A letter A-F in decimal mode: commas removed, cut to five characters.
QString DecimalEntryToHex(const QString& text);

// Whether an edit by the user (a paste, a drop, typed text) may leave this
// text in the entry, so that no route lets in what typing refuses: in decimal
// mode, or with a comma, digits, commas and full stops; or, without a comma,
// an optional leading "#" and at most six hexadecimal digits or full stops
// (such a text with a letter makes the mode hexadecimal, EntryModeOfText).
bool EntryTextAllowed(const QString& text, EntryMode mode);

// What a text means for the mode: a comma makes it decimal; a text without a
// comma that holds a letter A-F is hexadecimal; otherwise the mode stays.
EntryMode EntryModeOfText(const QString& text, EntryMode mode);

} // namespace pictaron
