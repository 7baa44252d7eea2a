#include "windowtesting.h"

#include "app/mainwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTest>
#include <QWindow>

namespace pictaron::testing {

QString WritePicture(const QTemporaryDir& folder, const QString& name, QSize size, qint64 fileSize)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / std::max(1, size.width() - 1), y * 255 / std::max(1, size.height() - 1), 90));
    const QString path = folder.filePath(name);
    picture.save(path, "PNG");
    if (fileSize > 0) {
        QFile file(path);
        if (file.size() > fileSize)
            qFatal("the test picture %s is already larger than %lld bytes", qPrintable(name), fileSize);
        file.open(QIODevice::Append);
        file.write(QByteArray(fileSize - file.size(), '\0'));
    }
    return path;
}

bool RunAndWait(TfrmPictaron& window)
{
    QSignalSpy finished(&window.Runs(), &RunController::Finished);
    ClickAt(window.findChild<QToolButton*>(QStringLiteral("btnGo")));
    // A small picture's run may end while the click is handled.
    return !finished.isEmpty() || finished.wait(20000);
}

bool OpenAndRunGif(TfrmPictaron& window, const QTemporaryDir& folder, QSize size)
{
    window.OpenPicture(WritePicture(folder, QStringLiteral("ramp.png"), size));
    ShowPageOf(window.Options().rbGIF);
    ClickAt(window.Options().rbGIF);
    return window.Options().rbGIF->isChecked() && RunAndWait(window);
}

void ChooseFromList(QComboBox* list, int row)
{
    if (list->isEditable()) {
        // A click on the text of a list one types into edits it: the arrow opens it.
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = true;
        option.subControls = QStyle::SC_All;
        ClickAt(list, list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, list).center());
    } else {
        ClickAt(list);
    }
    QAbstractItemView* view = list->view();
    if (!QTest::qWaitFor([&] { return view->isVisible(); }))
        return;
    view->scrollTo(view->model()->index(row, 0));
    // The pointer goes to the row, and the click comes after the double-click
    // interval: an open list takes no release that quick after the click
    // that opened it, as that is the end of a press-drag-release choice.
    // A list at the screen's edge opens moved onto the screen, which may cut
    // its rows: the click goes to the part in sight.
    const QPoint point =
        view->visualRect(view->model()->index(row, 0)).intersected(view->viewport()->visibleRegion().boundingRect()).center();
    MoveTo(view->viewport(), point);
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 20);
    ClickAt(view->viewport(), point);
    // The caller checks the value chosen; a list left open shows there.
    (void)QTest::qWaitFor([&] { return !view->isVisible(); });
}

void ChooseZoom(TfrmPictaron& window, const QString& text)
{
    auto* zoom = window.findChild<QComboBox*>(QStringLiteral("cmbZoom"));
    ChooseFromList(zoom, zoom->findText(text));
}

void ClickAt(QWidget* widget)
{
    // A person clicks what the settled window shows: pending layouts first.
    // Two clicks in a row are two clicks, not a double click.
    static QElapsedTimer sinceLast;
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QTest::qWait(sinceLast.isValid() ? std::max<qint64>(0, interval + 20 - sinceLast.elapsed()) : 0);
    sinceLast.start();
    QWidget* top = widget->window();
    // A check box or radio button reacts to its box and its text only, which
    // may fill just the left of a widget stretched wide: people click the box.
    const bool boxed = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
    const QPoint inside = boxed ? QPoint(std::min(8, widget->width() / 2), widget->height() / 2) : widget->rect().center();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(top, inside));
}

void ClickAt(QWidget* widget, QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QTest::qWait(0);
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), button, modifiers, widget->mapTo(top, point));
}

void PressAt(QWidget* widget, QPoint point, Qt::MouseButton button)
{
    QTest::qWait(0);
    QWidget* top = widget->window();
    QTest::mousePress(top->windowHandle(), button, Qt::NoModifier, widget->mapTo(top, point));
}

void MoveTo(QWidget* widget, QPoint point)
{
    QWidget* top = widget->window();
    QTest::mouseMove(top->windowHandle(), widget->mapTo(top, point));
}

void ReleaseAt(QWidget* widget, QPoint point, Qt::MouseButton button)
{
    QWidget* top = widget->window();
    QTest::mouseRelease(top->windowHandle(), button, Qt::NoModifier, widget->mapTo(top, point));
}

namespace {
// The window keys go to. The offscreen platform has no window manager to give
// the activation back to the main window (or the test's own window) when a
// dialog closes; this does.
QWindow* FrontWindow()
{
    const auto front = [] {
        QWidget* widget = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                            : QApplication::activeWindow();
        return widget ? widget->windowHandle() : nullptr;
    };
    if (!front()) {
        QWidget* back = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowType() == Qt::Window
                && (!back || qobject_cast<QMainWindow*>(widget)))
                back = widget;
        if (back)
            back->activateWindow();
        (void)QTest::qWaitFor([&] { return front() != nullptr; }, 2000);  // checked below
    }
    if (!front())
        qFatal("no window is in front to take the keys");
    return front();
}
} // namespace

void TypeKeys(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(FrontWindow(), c.toLatin1());
}

void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(FrontWindow(), key, modifiers);
}

bool ChooseMenuItem(TfrmPictaron& window, const QString& menuText, const char* actionName)
{
    return ChooseMenuItem(window, menuText, window.findChild<QAction*>(QLatin1String(actionName)));
}

bool ChooseMenuItem(TfrmPictaron& window, const QString& menuText, QAction* item)
{
    return ChooseMenuItem(window.menuBar(), menuText, item);
}

bool ChooseMenuItem(QMenuBar* bar, const QString& menuText, QAction* item)
{
    if (!bar)
        return false;
    QMenu* menu = nullptr;
    for (QAction* entry : bar->actions())
        if (entry->text() == menuText)
            menu = entry->menu();
    if (!menu || !item)
        return false;
    ClickAt(bar, bar->actionGeometry(menu->menuAction()).center());
    if (!QTest::qWaitFor([&] { return menu->isVisible(); }))
        return false;
    ClickAt(menu, menu->actionGeometry(item).center());
    return QTest::qWaitFor([&] { return !menu->isVisible(); });
}

void ShowPageOf(QWidget* widget)
{
    for (QWidget* page = widget; page && page->parentWidget(); page = page->parentWidget()) {
        auto* pages = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
        const int index = pages ? pages->indexOf(page) : -1;
        if (index < 0)
            continue;
        QTabBar* bar = pages->tabBar();
        QWidget* top = bar->window();
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          bar->mapTo(top, bar->tabRect(index).center()));
        QTest::qWait(0);
        return;
    }
}

void ClickOnPage(QWidget* control)
{
    ShowPageOf(control);
    ClickAt(control);
}

void DoubleClickAt(QWidget* widget)
{
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 20);  // after any earlier click
    QWidget* top = widget->window();
    QTest::mouseDClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(top, widget->rect().center()));
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    ClickOnPage(edit);
    PressKey(Qt::Key_End);
    for (qsizetype i = edit->text().size(); i > 0; --i)
        PressKey(Qt::Key_Backspace);
    TypeKeys(text);
}

void StepSpinBox(QSpinBox* box, int steps)
{
    ClickOnPage(box);
    for (int i = 0; i < std::abs(steps); ++i)
        PressKey(steps > 0 ? Qt::Key_Up : Qt::Key_Down);
}

namespace {
// The style's description of a track bar, which QSlider keeps to itself.
struct SliderAccess : QSlider {
    using QSlider::initStyleOption;
};
} // namespace

void SlideTo(QSlider* bar, int value)
{
    ShowPageOf(bar);
    QStyleOptionSlider option;
    (bar->*(&SliderAccess::initStyleOption))(&option);
    ClickAt(bar, bar->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, bar).center());
    while (bar->value() != value) {
        const int left = value - bar->value();
        const int before = bar->value();
        if (std::abs(left) >= bar->pageStep())
            PressKey(left > 0 ? Qt::Key_PageUp : Qt::Key_PageDown);
        else
            PressKey(left > 0 ? Qt::Key_Right : Qt::Key_Left);
        if (bar->value() == before) {
            qWarning("the track bar %s does not move from %d towards %d", qPrintable(bar->objectName()), before, value);
            return;
        }
    }
}

void AnswerNextDialog(std::function<void(QDialog*)> answer, const QMetaObject& kind, int timeoutMs)
{
    QObject* owner = QApplication::activeWindow() ? static_cast<QObject*>(QApplication::activeWindow()) : qApp;
    auto* poll = new QTimer(owner);
    poll->setInterval(20);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, answer, &kind, timeoutMs] {
        // A slow build may take a while to get the dialog in front.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool inFront = dialog && dialog->metaObject()->inherits(&kind) && dialog->isVisible()
            && dialog->windowHandle() && dialog->windowHandle()->isExposed()
            && QApplication::activeWindow() == dialog
            && (!QApplication::focusWidget() || QApplication::focusWidget()->window() == dialog);
        if (!inFront && waited.elapsed() < timeoutMs)
            return;
        poll->stop();
        poll->deleteLater();
        if (inFront)
            answer(dialog);
        else
            qWarning("no %s came to the front within %d ms", kind.className(), timeoutMs);
    });
    poll->start();
}

namespace {
// The file dialog's focused name box, else null (and the dialog closed, so
// that the test goes on to fail its checks).
QLineEdit* FileNameBox(QDialog* dialog)
{
    if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        return box;
    qWarning("the file dialog \"%s\" has no name box focused", qPrintable(dialog->windowTitle()));
    dialog->reject();
    return nullptr;
}
} // namespace

void TypeIntoNextFileDialog(const QString& name, std::function<void(QFileDialog*)> look)
{
    AnswerNextDialog(
        [name, look](QDialog* dialog) {
            QLineEdit* box = FileNameBox(dialog);
            if (!box)
                return;
            if (look)
                look(static_cast<QFileDialog*>(dialog));
            PressKey(Qt::Key_A, Qt::ControlModifier);  // over any name it suggests
            TypeKeys(name);
            if (box->text() != name) {
                qWarning("the file dialog did not take \"%s\" (it shows \"%s\")", qPrintable(name),
                         qPrintable(box->text()));
                dialog->reject();
                return;
            }
            PressKey(Qt::Key_Return);
        },
        QFileDialog::staticMetaObject);
}

void CancelNextFileDialog()
{
    AnswerNextDialog(
        [](QDialog* dialog) {
            if (FileNameBox(dialog))
                PressKey(Qt::Key_Escape);
        },
        QFileDialog::staticMetaObject);
}

void ClickInNextPopupMenu(const QString& itemText)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, itemText] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        for (QAction* action : menu->actions()) {
            if (QString(action->text()).remove(QLatin1Char('&')) == itemText) {
                ClickAt(menu, menu->actionGeometry(action).center());
                return;
            }
        }
        qWarning("the menu has no item \"%s\"", qPrintable(itemText));
        menu->close();
    });
    poll->start();
}

void OpenThroughDialog(const QString& path)
{
    TypeIntoNextFileDialog(path);
    PressKey(Qt::Key_O, Qt::ControlModifier);
}

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer)
{
    poll_.setInterval(20);
    connect(&poll_, &QTimer::timeout, this, [this, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                texts << box->text();
                if (QAbstractButton* button = box->button(answer))
                    ClickAt(button);
                else
                    box->done(answer);
            }
        }
    });
    poll_.start();
}

} // namespace pictaron::testing
