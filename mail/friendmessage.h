// The recommendation a user sends to a friend: its texts and its body.
//
// The body is built from fixed sentences around four texts the opener of the
// email dialog supplies (product name, download address, description, feature
// sentence) and three texts the user types. In the HTML form the user's texts
// are escaped: they are words, not markup.
#pragma once

#include <QString>

namespace pictaron {

// The four texts the opener of the email dialog supplies.
struct FriendTexts {
    QString productName;
    QString downloadAddress;
    QString description;
    QString featureSentence;

    bool complete() const;
};

// The texts this program recommends itself with.
FriendTexts PictaronFriendTexts();

// What the user typed: sender's name (may be empty), friend's name, personal
// message (may be empty), and the choice of HTML.
struct FriendInput {
    QString senderName;
    QString friendName;
    QString personalMessage;
    bool html = false;
};

struct FriendBody {
    QString text;
    QString contentType; // "text/plain" or "text/HTML"
};

// The body in the chosen form; lines end in CR LF, also inside the personal
// message. An empty sender name is written as "A friend".
FriendBody BuildFriendMessage(const FriendTexts& texts, const FriendInput& input);

// The subject: the product name + " is available for you.".
QString FriendSubject(const FriendTexts& texts);

} // namespace pictaron
