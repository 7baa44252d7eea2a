// "File Associations": which picture types offer "Open With Pictaron" in the
// file manager.
#pragma once

#include <QDialog>

class QCheckBox;

namespace pictaron {

class TfrmAssociate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAssociate(QWidget* parent = nullptr);

    QCheckBox* chkGIF;
    QCheckBox* chkJPEG;
    QCheckBox* chkBMP;
};

} // namespace pictaron
