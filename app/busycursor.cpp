#include "app/busycursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace pictaron {

namespace {

template <typename Change>
void OnGuiThread(Change change)
{
    if (QThread::currentThread() == qApp->thread())
        change();
    else
        QMetaObject::invokeMethod(qApp, change, Qt::QueuedConnection);
}

} // namespace

void BusyCursor::BeginBusy()
{
    OnGuiThread([] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); });
}

void BusyCursor::EndBusy()
{
    OnGuiThread([] { QGuiApplication::restoreOverrideCursor(); });
}

} // namespace pictaron
