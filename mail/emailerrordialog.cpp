#include "mail/emailerrordialog.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace pictaron {

EmailErrorDialog::EmailErrorDialog(const QString& errorText, std::function<void()> toClipboard,
                                   QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEmailError"));
    setWindowTitle(QStringLiteral("An error has occurred"));
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setGeometry(4, 8, 365, 55);
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The texts break lines with CR LF as mail does; a label wants LF.
    lblMessage->setText(QString(errorText).replace(QLatin1String("\r\n"), QLatin1String("\n")));

    // 374 by 101 holds the texts in a small font; with a larger one the label
    // and the window grow rather than cut the text off.
    const int extra = std::max(0, lblMessage->heightForWidth(365) - 55);
    lblMessage->resize(365, 55 + extra);
    setFixedSize(374, 101 + extra);

    btnClipboard = new QPushButton(QStringLiteral("To Clipboard"), this);
    btnClipboard->setObjectName(QStringLiteral("btnClipboard"));
    btnClipboard->setGeometry(212, 72 + extra, 75, 25);
    btnClipboard->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(296, 72 + extra, 75, 25);
    btnClose->setDefault(true);
    setTabOrder(btnClipboard, btnClose);
    btnClipboard->setFocus();

    connect(btnClipboard, &QPushButton::clicked, this, [this, toClipboard] {
        toClipboard();
        accept();
    });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace pictaron
