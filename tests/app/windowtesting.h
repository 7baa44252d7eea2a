// Helpers for the main window tests: pictures on disk, and message boxes
// answered as a user would, with their texts kept for the checks.
#pragma once

#include <QImage>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

namespace pictaron {
class TfrmPictaron;
}

namespace pictaron::testing {

// Writes a PNG of the given size with a colour ramp; when fileSize is given,
// pads the file with trailing bytes (ignored by readers) to exactly that size.
QString WritePicture(const QTemporaryDir& folder, const QString& name, QSize size, qint64 fileSize = 0);

// Starts a run now and waits for its end; false if it never ends.
bool RunAndWait(TfrmPictaron& window);

// Opens a colour ramp of the given size ("ramp.png" in folder) and turns it
// into a GIF; false if the run never ends.
bool OpenAndRunGif(TfrmPictaron& window, const QTemporaryDir& folder, QSize size);

// Chooses a zoom from the list, as a user does.
void ChooseZoom(TfrmPictaron& window, const QString& text);

// Closes every message box that opens while it exists and keeps its text.
class MessageBoxCatcher : public QObject {
public:
    MessageBoxCatcher();
    QStringList texts;

private:
    QTimer poll_;
};

} // namespace pictaron::testing
