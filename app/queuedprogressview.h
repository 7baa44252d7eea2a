// The window's end of a run's progress (app/progress.h): the changes a run
// reports on its worker thread reach a receiver on the GUI thread. Window
// headers that moc reads include this, so it converts the UTF-8 text itself
// rather than through components/qtbridge.h, whose <concepts> moc cannot parse.
#pragma once

#include "app/progress.h"

#include <QObject>
#include <QString>

#include <functional>

namespace pictaron {

// show is called on the receiver's thread, queued, while the receiver lives.
class QueuedProgressView : public ProgressView {
public:
    QueuedProgressView(QObject* receiver, std::function<void(const QString&, int)> show)
        : receiver_(receiver), show_(std::move(show))
    {
    }
    void ProgressChanged(const std::string& text, int percent) override
    {
        QMetaObject::invokeMethod(
            receiver_, [show = show_, text = QString::fromStdString(text), percent] { show(text, percent); }, Qt::QueuedConnection);
    }

private:
    QObject* receiver_;
    std::function<void(const QString&, int)> show_;
};

} // namespace pictaron
