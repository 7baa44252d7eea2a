#include "mail/friendmessage.h"

#include "mail/mailmessage.h"

namespace pictaron {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A multi-line edit gives LF (or CR LF, or a lone CR from pasted text); mail
// wants CR LF everywhere.
QString WithCrLf(const QString& text)
{
    QString unified = text;
    unified.replace(kCrLf, QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.replace(QLatin1Char('\n'), kCrLf);
}

QString PlainBody(const FriendTexts& t, const QString& sender, const QString& friendName,
                  const QString& message)
{
    QString body = QStringLiteral("Hello ") + friendName + QStringLiteral(", ") + kCrLf;
    body += sender + QStringLiteral(" wanted to let you know about ") + t.productName
            + QStringLiteral(", ") + t.description + QStringLiteral("  It's ")
            + QStringLiteral("available for downloading from Orvanti Software's Web Site.") + kCrLf
            + kCrLf;
    body += QStringLiteral("Just point your Web Browser to ") + t.downloadAddress + kCrLf;
    if (!message.isEmpty())
        body += kCrLf + sender + QStringLiteral(" also wanted to send you a special message: ")
                + kCrLf + kCrLf + message + kCrLf;
    body += kCrLf + QStringLiteral("What is ") + t.productName + QStringLiteral("?") + kCrLf + kCrLf
            + t.featureSentence + kCrLf + kCrLf;
    return body;
}

// The user's texts arrive here already escaped; the programmer's texts are
// written as they are.
QString HtmlBody(const FriendTexts& t, const QString& sender, const QString& friendName,
                 const QString& message)
{
    QString body = QStringLiteral("<HTML>") + kCrLf + QStringLiteral("<BODY>") + kCrLf + kCrLf
                   + QStringLiteral("<P>Hello ") + friendName + QStringLiteral(", <BR>");
    body += sender + QStringLiteral(" wanted to let you know about ") + t.productName
            + QStringLiteral(", ") + t.description + QStringLiteral("  It's ")
            + QStringLiteral("available for downloading from Orvanti Software's Web Site.<BR>")
            + kCrLf + kCrLf;
    body += QStringLiteral("<P><A HREF=\"") + t.downloadAddress + QStringLiteral("\">")
            + QStringLiteral("Click here to download ") + t.productName
            + QStringLiteral("</A><BR>") + kCrLf;
    body += QStringLiteral("or point your Web Browser ") + QStringLiteral("to ") + t.downloadAddress
            + QStringLiteral("<BR>") + kCrLf;
    if (!message.isEmpty())
        body += kCrLf + QStringLiteral("<P>") + sender
                + QStringLiteral(" also wanted to send you a special message: <BR>") + kCrLf + kCrLf
                + QStringLiteral("<PRE>") + kCrLf + message + kCrLf + QStringLiteral("</PRE>")
                + kCrLf;
    body += kCrLf + QStringLiteral("<P><H2>What is ") + t.productName + QStringLiteral("?</H2>")
            + kCrLf + kCrLf + t.featureSentence + kCrLf + kCrLf + QStringLiteral("</BODY>") + kCrLf
            + QStringLiteral("</HTML>");
    return body;
}

} // namespace

bool FriendTexts::complete() const
{
    return !productName.isEmpty() && !downloadAddress.isEmpty() && !description.isEmpty()
           && !featureSentence.isEmpty();
}

FriendTexts PictaronFriendTexts()
{
    return {QStringLiteral("Pictaron"), QStringLiteral(PICTARON_DOWNLOAD_ADDRESS),
            QStringLiteral("a graphics processing package that will help you make your web "
                           "page's graphics be as small as possible without sacrificing quality."),
            QStringLiteral("It's got all the features you'd need to make your graphics look fine.")};
}

FriendBody BuildFriendMessage(const FriendTexts& texts, const FriendInput& input)
{
    // A name is one line; a pasted line break would only tear the greeting apart.
    const QString name = SingleLine(input.senderName);
    const QString sender = name.isEmpty() ? QStringLiteral("A friend") : name;
    const QString friendName = SingleLine(input.friendName);
    const QString message = WithCrLf(input.personalMessage);
    if (!input.html)
        return {PlainBody(texts, sender, friendName, message), QStringLiteral("text/plain")};
    return {HtmlBody(texts, sender.toHtmlEscaped(), friendName.toHtmlEscaped(),
                     message.toHtmlEscaped()),
            QStringLiteral("text/HTML")};
}

QString FriendSubject(const FriendTexts& texts)
{
    return texts.productName + QStringLiteral(" is available for you.");
}

} // namespace pictaron
