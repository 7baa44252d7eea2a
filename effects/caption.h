// Caption: one line of text written onto the picture.
//
// The text is centred across the picture at the top, centre or bottom, or in
// a white strip added below it. It is drawn with QPainter, so a run that adds
// a caption needs a QGuiApplication (the command line makes one on the
// offscreen platform). A family that is not installed is replaced by the
// platform's substitute, as font matching does everywhere else.
//
// Choices that matter:
// - The text height th is the font's line height (ascent + descent) whatever
//   the text, so an empty caption still adds a strip of th + 4 white rows.
// - Glyphs are drawn without anti-aliasing: crisp pixels survive colour
//   reduction to a small GIF palette without a fringe of extra colours.
#pragma once

#include "effects/pixels.h"

#include <QFont>
#include <QImage>
#include <QString>

namespace pictaron {

// The caption location list; NotSelected is the list with no item chosen and
// places the text as Top does.
enum class CaptionLocation { NotSelected = -1, Top, Center, Bottom, Caption };

// The caption's font as the font dialog gives it: a family, a pixel height, its
// style and the dialog's effects, and the colour of the text. Kept free of
// QFont so a settings value needs no GUI.
struct CaptionFont {
    QString family = QStringLiteral("MS Sans Serif");
    int pixelHeight = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    TColor colour = clWindowText;
};

// The QFont the caption is drawn with.
QFont CaptionQFont(const CaptionFont& font);

// Throws PictaronError when no QGuiApplication exists.
QImage AddCaption(const QImage& source, const QString& text, const CaptionFont& font, CaptionLocation location);

} // namespace pictaron
