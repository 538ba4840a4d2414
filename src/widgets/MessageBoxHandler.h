#pragma once

#include <QMessageBox>

#include "platform/Messages.h"

namespace tolvarine {

// The real message boxes behind showMessage().
void installMessageBoxHandler();

// Shows one modal box over the active window and returns the button pressed.
MessageAnswer showMessageBox(const MessageRequest &request);

QMessageBox::StandardButtons standardButtons(MessageButtons buttons);
QMessageBox::StandardButton standardButton(MessageAnswer answer);
QMessageBox::Icon messageBoxIcon(MessageIcon icon);
// The answer of a pressed button; closing the box answers what Escape would.
MessageAnswer answerOf(QMessageBox::StandardButton button, MessageButtons buttons);

} // namespace tolvarine
