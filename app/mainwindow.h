// The main window: the original on the left, the encoded result on the right.
#pragma once

#include "app/runcontroller.h"
#include "formats/pictureloader.h"

#include <QImage>
#include <QMainWindow>

class QLabel;
class QProgressBar;
class QScrollArea;
class QSpinBox;
class QCheckBox;
class QAction;

namespace pictaron {

class TfrmPictaron : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmPictaron(QWidget* parent = nullptr);

    // Makes the named file the original; on failure shows why and keeps the
    // current picture.
    void OpenPicture(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void mnuFileOpenClick();
    void btnGoClick();
    void ShowResult(const EncodedResult& result);
    ConversionSettings GatherSettings() const;

    PictureLoader ilPreview;
    RunController runs_;
    QImage original_;
    qint64 originalSize_ = 0;

    QLabel* lblSourceInfo_;
    QLabel* lblDestInfo_;
    QLabel* imgSource_;
    QLabel* imgDest_;
    QLabel* downloadTimes_;
    QProgressBar* progressBar_;
    QSpinBox* txtCompression_;
    QCheckBox* chkProgressive_;
    QCheckBox* chkGreyscale_;
    QAction* actApply_;
};

} // namespace pictaron
