#include "app/help.h"

#include "components/installlayout.h"
#include "components/qtbridge.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <map>

namespace pictaron {

namespace {

// Where the manual may stand, first match wins.
QStringList ManualCandidates()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {
        ToQString(InstalledDataPath("manual")),
        QDir(program).filePath(QStringLiteral("manual")),
        QStringLiteral(PICTARON_SOURCE_MANUAL),
    };
}

} // namespace

QString HelpPageName(int context)
{
    static const std::map<int, QString> pages = {
        {4, QStringLiteral("graphic-format.html")},
        {5, QStringLiteral("rotate.html")},
        {6, QStringLiteral("size.html")},
        {7, QStringLiteral("effects.html")},
        {8, QStringLiteral("brightness-contrast.html")},
        {10, QStringLiteral("blend.html")},
        {11, QStringLiteral("buttonize.html")},
        {58, QStringLiteral("caption.html")},
    };
    const auto page = pages.find(context);
    return page == pages.end() ? QStringLiteral("index.html") : page->second;
}

QString ManualFolder()
{
    for (const QString& folder : ManualCandidates()) {
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("index.html"))))
            return QDir(folder).absolutePath();
    }
    return {};
}

void ShowHelp(QWidget* parent, int context)
{
    const QString folder = ManualFolder();
    const QString page = folder.isEmpty() ? QString() : QDir(folder).filePath(HelpPageName(context));
    if (page.isEmpty() || !QFileInfo::exists(page)) {
        QMessageBox::warning(parent, QStringLiteral("Pictaron"),
                             QStringLiteral("The manual cannot be found.  It should be in %1.")
                                 .arg(QDir::toNativeSeparators(ManualCandidates().constFirst())));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        QMessageBox::warning(parent, QStringLiteral("Pictaron"),
                             QStringLiteral("No browser could show the manual page %1.")
                                 .arg(QDir::toNativeSeparators(page)));
}

} // namespace pictaron
