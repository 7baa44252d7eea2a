// The window's system colours: the desktop theme's palette, installed as the
// engine's source of system colours when the program starts. The engine
// itself knows only the classic colours, so the command line never depends
// on a theme.
#include "effects/pixels.h"

#include <QGuiApplication>
#include <QPalette>

namespace pictaron {

namespace {

QColor PaletteSystemColour(const QPalette& palette, int index)
{
    switch (index) {
    case 0: case 1: case 12: return palette.color(QPalette::Window);          // scroll bar, desktop, workspace
    case 2: case 13: return palette.color(QPalette::Highlight);             // active caption, highlight
    case 3: case 11: case 4: return palette.color(QPalette::Button);         // inactive caption, borders, menu
    case 5: return palette.color(QPalette::Base);                          // window
    case 6: case 21: return palette.color(QPalette::Shadow);               // frame, 3D dark shadow
    case 7: case 8: return palette.color(QPalette::Text);                   // menu text, window text
    case 9: case 14: return palette.color(QPalette::HighlightedText);       // caption text, highlight text
    case 10: case 15: return palette.color(QPalette::Button);               // active border, button face
    case 16: return palette.color(QPalette::Dark);                          // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);      // grey text
    case 18: return palette.color(QPalette::ButtonText);
    case 19: return palette.color(QPalette::Inactive, QPalette::WindowText); // inactive caption text
    case 20: return palette.color(QPalette::Light);                         // button highlight
    case 22: return palette.color(QPalette::Midlight);                      // 3D light
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Window);
    }
}

// Before the application object exists (and in a program without one) the
// engine falls back to the classic colours.
TColor ThemeColour(int index)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return kSystemColourFlag | static_cast<TColor>(index);
    const QColor c = PaletteSystemColour(QGuiApplication::palette(), index);
    return static_cast<TColor>(c.red()) | static_cast<TColor>(c.green()) << 8 | static_cast<TColor>(c.blue()) << 16;
}

} // namespace

} // namespace pictaron

// Every program that links the window links this file (pictaron_gui asks the
// linker to keep it), and so starts with the theme's colours installed.
extern "C" const bool pictaron_theme_system_colours = [] {
    pictaron::SetSystemColourSource(&pictaron::ThemeColour);
    return true;
}();
