#include "components/recentfilesmenu.h"

#include <QAction>
#include <QMenu>

namespace pictaron {

RecentFilesMenu::RecentFilesMenu(QMenu* menu, QAction* before, QAction* after,
                                 std::function<void(const QString&)> open)
    : QObject(menu), menu_(menu), before_(before), after_(after), open_(std::move(open))
{
    before_->setVisible(false);
    after_->setVisible(false);
}

void RecentFilesMenu::AddRecentFile(const QString& path)
{
    list_.Add(path);
    // Keep one entry per listed path; the list decides the order.
    while (entries_.size() > list_.Paths().size())
        delete entries_.takeLast();
    while (entries_.size() < list_.Paths().size()) {
        auto* entry = new QAction(menu_);
        connect(entry, &QAction::triggered, this, [this, entry] { open_(entry->data().toString()); });
        menu_->insertAction(after_, entry);
        entries_.append(entry);
    }
    Renumber();
}

void RecentFilesMenu::Renumber()
{
    before_->setVisible(true);
    after_->setVisible(true);
    for (int i = 0; i < entries_.size(); ++i) {
        const QString path = list_.Paths()[i];
        // The path stands in the entry's data as well, so an "&" in a file
        // name is shown, not taken as an access key.
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        entries_[i]->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        entries_[i]->setData(path);
        entries_[i]->setVisible(true);
    }
}

void RecentFilesMenu::LoadRecentFiles(const QSettings& settings)
{
    RecentFilesList stored;
    stored.Load(settings);
    for (auto it = stored.Paths().crbegin(); it != stored.Paths().crend(); ++it)
        AddRecentFile(*it);
}

void RecentFilesMenu::SaveRecentFiles(QSettings& settings) const
{
    list_.Save(settings);
}

} // namespace pictaron
