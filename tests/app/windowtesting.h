// Helpers for the main window tests: pictures on disk, and message boxes
// answered as a user would, with their texts kept for the checks.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

class QAction;
class QFileDialog;
class QMenuBar;
class QSlider;
class QSpinBox;

namespace pictaron {
class TfrmPictaron;
}

namespace pictaron::testing {

// Writes a PNG of the given size with a colour ramp; when fileSize is given,
// pads the file with trailing bytes (ignored by readers) to exactly that size.
QString WritePicture(const QTemporaryDir& folder, const QString& name, QSize size, qint64 fileSize = 0);

// Clicks "Apply Changes" and waits for the run's end; false if it never ends.
bool RunAndWait(TfrmPictaron& window);

// Opens a colour ramp of the given size ("ramp.png" in folder) and turns it
// into a GIF; false if the run never ends.
bool OpenAndRunGif(TfrmPictaron& window, const QTemporaryDir& folder, QSize size);

// Opens the list with a click (on its arrow when the list can be typed into)
// and clicks its row, as a user does.
void ChooseFromList(QComboBox* list, int row);
// Chooses a zoom from the list so.
void ChooseZoom(TfrmPictaron& window, const QString& text);

// A click as a person makes it: a press and a release at the widget's centre,
// sent to the window it is in, which hands them to whatever lies there.
void ClickAt(QWidget* widget);

// The same at a point of the widget (its own coordinates), with any button.
void ClickAt(QWidget* widget, QPoint point, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The parts of a drag, each at a point of the widget (its own coordinates,
// which may lie outside it), sent to the widget's window: a press, moves with
// the pressed button held, and the release.
void PressAt(QWidget* widget, QPoint point, Qt::MouseButton button = Qt::LeftButton);
void MoveTo(QWidget* widget, QPoint point);
void ReleaseAt(QWidget* widget, QPoint point, Qt::MouseButton button = Qt::LeftButton);

// Clicks the menu of the window's menu bar whose text is menuText open, and
// then its item of the given object name, each a press and a release at its
// place; false when either is not there to click.
bool ChooseMenuItem(TfrmPictaron& window, const QString& menuText, const char* actionName);
bool ChooseMenuItem(TfrmPictaron& window, const QString& menuText, QAction* item);
bool ChooseMenuItem(QMenuBar* bar, const QString& menuText, QAction* item);

// Brings the option page holding the widget to the front with a click on its
// tab, as a person would before using it.
void ShowPageOf(QWidget* widget);

// Brings the control's page forward and clicks the control.
void ClickOnPage(QWidget* control);

// Two clicks at the widget's centre within the double-click interval, as a
// person clicks twice quickly.
void DoubleClickAt(QWidget* widget);

// Clicks into the edit box (on its page) and types the text over what it held,
// with End and Backspace as a person clears it.
void TypeInto(QLineEdit* edit, const QString& text);

// Clicks the spin box (on its page) and steps it with the arrow keys.
void StepSpinBox(QSpinBox* box, int steps);

// Clicks the track bar's handle (on its page), which leaves its value, and
// moves it to the value with Page Up/Down and the arrow keys.
void SlideTo(QSlider* bar, int value);

// Keys typed into whatever has the focus in the window in front (ASCII text).
void TypeKeys(const QString& text);
void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs answer on the next modal dialog of the kind once it is in front
// (shown, on the screen, active, the focus in it if anywhere), as a person
// waits for it before answering. It waits without blocking, so the click or
// key that opens the dialog is sent after this; a menu the dialog is chosen
// from runs its own event loop first. It gives up with a warning after
// timeoutMs, or when the window in front as it was asked closes, so that a
// dialog that never opened fails the test's checks instead of hanging it,
// and is not answered in a later test.
void AnswerNextDialog(std::function<void(QDialog*)> answer, const QMetaObject& kind = QDialog::staticMetaObject,
                      int timeoutMs = 10000);

// Answers the next file dialog, Open or Save, as a person does: the name
// typed over what its focused name box holds, and Enter; look, when given,
// reads what the dialog shows first.
void TypeIntoNextFileDialog(const QString& name, std::function<void(QFileDialog*)> look = nullptr);
// Closes the next file dialog with Escape.
void CancelNextFileDialog();

// Answers the next pop-up menu (a context menu, a menu a button opens) with
// a click on its item of the given text ("&" marks left out); like
// AnswerNextDialog it waits without blocking.
void ClickInNextPopupMenu(const QString& itemText);

// Opens the file as a person does: Ctrl+O, its name typed into the Open
// dialog and Enter.
void OpenThroughDialog(const QString& path);

// Answers every message box that opens while it exists and keeps its text:
// a click on the answer's button where the box has one, else the box is
// closed with the answer.
class MessageBoxCatcher : public QObject {
public:
    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    QStringList texts;

private:
    QTimer poll_;
};

} // namespace pictaron::testing
