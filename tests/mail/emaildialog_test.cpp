// The email dialog as a person uses it: typing, Send, the answers shown in
// message boxes, To Clipboard and Cancel, with the real servers of peers.h
// on loopback. Every click is a press and a release at the window, every key
// goes to the field with the focus (tests/app/windowtesting).
#include "app/splash.h"
#include "mail/emaildialog.h"
#include "mail/emailerrordialog.h"
#include "peers.h"
#include "windowtesting.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::test;
using pictaron::testing::ClickAt;
using pictaron::testing::PressKey;
using pictaron::testing::TypeInto;
using pictaron::testing::TypeKeys;

namespace {

FriendTexts Texts()
{
    return {QStringLiteral("Zedly"), QStringLiteral("https://dl.example/z"),
            QStringLiteral("a tool."), QStringLiteral("It works.")};
}

// Answers the modal windows the dialog opens: message boxes are read and
// closed with a click on their default button; the error dialog is read and
// answered with a click on "To Clipboard" or "Close" as chosen.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(bool clipboardOnError = false) : clipboardOnError_(clipboardOnError)
    {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
        timer_.start(20);
    }

    QStringList texts; // in the order shown

private:
    // The answer is queued, not given here: a button may open the next modal
    // window, and this timer does not fire again while its own slot runs.
    void Answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || answered_.contains(modal))
            return;
        QAbstractButton* answer = nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts << box->text();
            answer = box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
        } else if (auto* error = qobject_cast<EmailErrorDialog*>(modal)) {
            texts << error->Message()->text();
            answer = clipboardOnError_ ? error->ClipboardButton()
                                       : error->findChild<QPushButton*>(QStringLiteral("btnClose"));
        } else {
            return;
        }
        // Each window once: a click takes its moment, and the window beneath
        // one being answered is in front again before it closes.
        answered_.insert(modal);
        connect(modal, &QObject::destroyed, this, [this, modal] { answered_.remove(modal); });
        QMetaObject::invokeMethod(modal, [answer] { ClickAt(answer); }, Qt::QueuedConnection);
    }

    QSet<QWidget*> answered_;

    bool clipboardOnError_;
    QTimer timer_;
};

} // namespace

class EmailDialogTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* Find(const TfrmEmail& dialog, const char* name)
    {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }

    // Shows the dialog in front, as the About box opens it.
    static void Show(TfrmEmail& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

    // Each field clicked into and typed.
    static void Fill(TfrmEmail& dialog, const QString& yourEmail, const QString& address)
    {
        TypeInto(Find<QLineEdit>(dialog, "txtName"), QStringLiteral("Ann"));
        TypeInto(Find<QLineEdit>(dialog, "txtYourEmail"), yourEmail);
        TypeInto(Find<QLineEdit>(dialog, "txtFriendsName"), QStringLiteral("Bob"));
        TypeInto(Find<QLineEdit>(dialog, "txtAddress"), address);
    }

    // Loopback servers: the DNS server list on http.server, the mail servers
    // mx5 and mx20 of pictaron.test on dnsmasq, both led to one aiosmtpd.
    bool StartServers(const QString& smtpMode)
    {
        if (DnsPeer::Program().isEmpty() || !SmtpPeer::Available())
            return false;
        dns = std::make_unique<DnsPeer>();
        http = std::make_unique<HttpPeer>();
        smtp = std::make_unique<SmtpPeer>();
        if (!dns->Start() || !http->Start() || !smtp->Start(smtpMode))
            return false;
        http->Put("dnsip/dnsip.dat", dns->address().toUtf8());
        settings.dnsServers.resolverConfig = "/nonexistent/resolv.conf";
        settings.dnsServers.serverListUrl = http->Url("dnsip/dnsip.dat");
        settings.smtp.connectTo = {smtp->ConnectTo("mx5.pictaron.test"),
                                   smtp->ConnectTo("mx20.pictaron.test")};
        return true;
    }

    std::unique_ptr<DnsPeer> dns;
    std::unique_ptr<HttpPeer> http;
    std::unique_ptr<SmtpPeer> smtp;
    DeliverySettings settings;

private slots:
    void cleanup()
    {
        smtp.reset();
        http.reset();
        dns.reset();
        settings = DeliverySettings();
    }

    void textsNameTheProduct()
    {
        TfrmEmail dialog(Texts());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Email Zedly to a Friend"));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading")->text(),
                 QStringLiteral("Think your friends would like Zedly too? "));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading2")->text(),
                 QStringLiteral("Simply fill in the form below and press Send. Zedly will send an "
                                "email to your friend which contains an HTML link to download "
                                "Zedly. This makes it easy for your friend to download and use "
                                "Zedly."));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading3")->text(),
                 QStringLiteral("You can also add a personalized message to your friend about how "
                                "cool Zedly is."));
        QCOMPARE(dialog.size(), QSize(399, 434));
        QVERIFY(!Find<QCheckBox>(dialog, "chkHTML")->isChecked());
        QVERIFY(Find<QPushButton>(dialog, "butCancel")->isDefault());
    }

    void sendNeedsAFriendsAddress()
    {
        TfrmEmail dialog(Texts());
        Show(dialog);
        auto* send = Find<QPushButton>(dialog, "butSend");
        QVERIFY(!send->isEnabled());
        TypeInto(Find<QLineEdit>(dialog, "txtName"), QStringLiteral("Ann"));
        TypeInto(Find<QLineEdit>(dialog, "txtYourEmail"), QStringLiteral("ann@x.test"));
        QVERIFY(!send->isEnabled());
        TypeInto(Find<QLineEdit>(dialog, "txtAddress"), QStringLiteral("b"));
        QVERIFY(send->isEnabled());
        PressKey(Qt::Key_Backspace);
        QCOMPARE(Find<QLineEdit>(dialog, "txtAddress")->text(), QString());
        QVERIFY(!send->isEnabled());
    }

    void unusableAddressIsRefusedBeforeSending()
    {
        TfrmEmail dialog(Texts());
        Show(dialog);
        Fill(dialog, "ann@x.test", "bob@y.test, eve@z.test");
        ModalAnswerer answerer;
        ClickAt(Find<QPushButton>(dialog, "butSend"));
        QCOMPARE(answerer.texts, QStringList({RecipientAddressProblemText()}));
        QVERIFY(!dialog.IsSending());
        QVERIFY(dialog.isVisible());
    }

    void sentThroughTheMailServer()
    {
        if (!StartServers("accept"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        TfrmEmail dialog(Texts(), settings);
        Show(dialog);
        Fill(dialog, "ann@pictaron.test", "bob@friend.test");
        ClickAt(Find<QPlainTextEdit>(dialog, "memText"));
        TypeKeys(QStringLiteral("See you!"));
        QCOMPARE(Find<QPlainTextEdit>(dialog, "memText")->toPlainText(), QStringLiteral("See you!"));
        ClickAt(Find<QCheckBox>(dialog, "chkHTML"));
        QVERIFY(Find<QCheckBox>(dialog, "chkHTML")->isChecked());
        ModalAnswerer answerer;
        ClickAt(Find<QPushButton>(dialog, "butSend"));
        QVERIFY(dialog.IsSending());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 30000);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(answerer.texts, QStringList({"The email was successfully sent."}));
        const QStringList received = smtp->Received();
        QCOMPARE(received.size(), 1);
        QVERIFY(received.first().contains("<PRE>"));
        QVERIFY(received.first().contains("See you!"));
    }

    void failureOffersTheClipboard()
    {
        if (!StartServers("accept"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        QApplication::clipboard()->clear();
        TfrmEmail dialog(Texts(), settings);
        Show(dialog);
        Fill(dialog, "ann@nomx.test", "bob@friend.test");
        TypeInto(Find<QLineEdit>(dialog, "txtName"), QString());  // cleared again
        ModalAnswerer answerer(true);
        ClickAt(Find<QPushButton>(dialog, "butSend"));
        QTRY_COMPARE_WITH_TIMEOUT(answerer.texts.size(), 2, 30000);
        QCOMPARE(answerer.texts.at(0), DnsServerMessage());
        QCOMPARE(answerer.texts.at(1),
                 QStringLiteral("The message about Zedly has been placed in the clipboard.  You can "
                                "now paste it into your regular email software and send it to your "
                                "friend."));
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied.startsWith("Hello Bob, \nA friend wanted to let you know about Zedly, a tool."));
        // The email dialog stays open, ready to try again.
        QTRY_VERIFY(!dialog.IsSending());
        QVERIFY(dialog.isVisible());
        QVERIFY(Find<QPushButton>(dialog, "butSend")->isEnabled());
        QCOMPARE(Find<QLabel>(dialog, "lblStatus")->text(), QString());
        QVERIFY(smtp->Received().isEmpty());
    }

    void aboutBoxAnimationOpensTheDialog()
    {
        // Each step is queued: the next modal window opens inside it.
        QStringList seen;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* about = qobject_cast<TfrmSplash*>(modal)) {
                if (seen.isEmpty()) {
                    seen << "About";
                    // A right click: its release opens the dialog.
                    QMetaObject::invokeMethod(about, [about] {
                        ClickAt(about->Animation(), QPoint(5, 5), Qt::RightButton);
                    }, Qt::QueuedConnection);
                } else if (seen.size() == 2) {
                    seen << "About closed";
                    QMetaObject::invokeMethod(about, [] { PressKey(Qt::Key_Escape); }, Qt::QueuedConnection);
                }
            } else if (auto* email = qobject_cast<TfrmEmail*>(modal); email && seen.size() == 1) {
                seen << email->windowTitle();
                QMetaObject::invokeMethod(email, [email] { ClickAt(Find<QPushButton>(*email, "butCancel")); },
                                          Qt::QueuedConnection);
            }
        });
        timer.start(20);
        TfrmSplash::ShowAbout(nullptr);
        QCOMPARE(seen, QStringList({"About", "Email Pictaron to a Friend", "About closed"}));
    }

    void cancelClosesDuringASlowConversation()
    {
        if (!StartServers("slow"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        TfrmEmail dialog(Texts(), settings);
        Show(dialog);
        Fill(dialog, "ann@pictaron.test", "bob@friend.test");
        ModalAnswerer answerer;
        ClickAt(Find<QPushButton>(dialog, "butSend"));
        // The window keeps answering while the server keeps us waiting.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(smtp->Folder() + "/waiting"), 30000);
        QTRY_COMPARE(Find<QLabel>(dialog, "lblStatus")->text(),
                     QStringLiteral("Sending through mx5.pictaron.test"));
        ClickAt(Find<QPushButton>(dialog, "butCancel"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.IsSending());
        QVERIFY(answerer.texts.isEmpty());
        QVERIFY(!smtp->Answered());
    }
};

QTEST_MAIN(EmailDialogTest)
#include "emaildialog_test.moc"
