// The manual: HTML pages shipped with the program, one per option page, opened
// in the system's browser.
#pragma once

#include <QString>

class QWidget;

namespace pictaron {

inline constexpr int kHelpContents = 0;

// The page of a help context (4, 5, 6, 7, 8, 10, 11, 58; kHelpContents for
// the contents); the contents page for an unknown context.
QString HelpPageName(int context);

// The folder holding the manual: share/pictaron/manual of an installed
// program, else a "manual" folder beside the program, else the source tree's
// docs/manual. Empty when none exists.
QString ManualFolder();

// Opens the page of the context in the browser, or says that the manual is
// missing and where it was looked for.
void ShowHelp(QWidget* parent, int context);

} // namespace pictaron
