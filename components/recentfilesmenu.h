// The recent-files entries of the File menu.
//
// The entries stand between two separators that are hidden while the list is
// empty; each entry reads "&<n> <path>" with the access keys 1 to 5 in list
// order. Binding the menu and the handler happens at construction, so no
// operation can run on an unbound list.
#pragma once

#include "components/recentfiles.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace pictaron {

class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    // before and after are the two separators of menu that frame the entries;
    // open is called with an entry's path when it is clicked.
    RecentFilesMenu(QMenu* menu, QAction* before, QAction* after, std::function<void(const QString&)> open);

    void AddRecentFile(const QString& path);
    void LoadRecentFiles(const QSettings& settings);
    void SaveRecentFiles(QSettings& settings) const;

    const QStringList& Paths() const { return list_.Paths(); }
    // The entries, top to bottom.
    QList<QAction*> Entries() const { return entries_; }

private:
    void Renumber();

    QMenu* menu_;
    QAction* before_;
    QAction* after_;
    std::function<void(const QString&)> open_;
    RecentFilesList list_;
    QList<QAction*> entries_;
};

} // namespace pictaron
