#include "app/associatedialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pictaron {

TfrmAssociate::TfrmAssociate(QWidget* parent)
    : QDialog(parent), chkGIF(new QCheckBox(QStringLiteral("GIF"), this)),
      chkJPEG(new QCheckBox(QStringLiteral("JPEG"), this)), chkBMP(new QCheckBox(QStringLiteral("BMP"), this))
{
    setObjectName(QStringLiteral("frmAssociate"));
    setWindowTitle(QStringLiteral("Context Menus"));
#ifdef Q_OS_WIN
    const QString where = QStringLiteral("Windows Explorer");
#else
    const QString where = QStringLiteral("the file manager");
#endif
    auto* explanation = new QLabel(
        QStringLiteral("Choose which file extensions will have \"Open With Pictaron\" added to the popup menu that "
                       "appears when you right-click on files of that type in %1.")
            .arg(where),
        this);
    explanation->setWordWrap(true);

    chkGIF->setObjectName(QStringLiteral("chkGIF"));
    chkJPEG->setObjectName(QStringLiteral("chkJPEG"));
    chkBMP->setObjectName(QStringLiteral("chkBMP"));
    auto* boxes = new QHBoxLayout;
    for (QCheckBox* box : {chkGIF, chkJPEG, chkBMP})
        boxes->addWidget(box);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);  // Escape too, as in every dialog
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    setMinimumWidth(270);
    setFixedSize(sizeHint().expandedTo(QSize(270, 147)));
}

} // namespace pictaron
