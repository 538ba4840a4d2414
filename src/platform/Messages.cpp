#include "platform/Messages.h"

#include <utility>

namespace tolvarine {

namespace {
MessageHandler &currentHandler()
{
    static MessageHandler handler;
    return handler;
}
} // namespace

QString applicationTitle() { return QStringLiteral("Tolvarine"); }

MessageAnswer showMessage(const QString &text, const QString &title, MessageButtons buttons, MessageIcon icon,
                          MessageAnswer defaultAnswer)
{
    MessageRequest request{text, title.isEmpty() ? applicationTitle() : title, buttons, icon, defaultAnswer};
    const MessageHandler &handler = currentHandler();
    return handler ? handler(request) : defaultAnswer;
}

MessageHandler setMessageHandler(MessageHandler handler)
{
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace tolvarine
