#pragma once

#include <functional>

#include <QString>

namespace tolvarine {

// Every message box of the program goes through showMessage(). The core has no
// widgets: the UI installs a handler that shows a real box, tests install one
// that records the request and answers.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

using MessageHandler = std::function<MessageAnswer(const MessageRequest &)>;

// The application title, used as the title of a box that names no other.
QString applicationTitle();

MessageAnswer showMessage(const QString &text, const QString &title = QString(),
                          MessageButtons buttons = MessageButtons::Ok, MessageIcon icon = MessageIcon::None,
                          MessageAnswer defaultAnswer = MessageAnswer::Ok);

// Replaces the handler; returns the previous one. An empty handler answers the
// default without showing anything.
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace tolvarine
