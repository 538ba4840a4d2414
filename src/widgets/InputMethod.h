#pragma once

class QWidget;

namespace tolvarine {

// Keeps the desktop's input method away from a box meant for plain digits, so that
// no conversion window gets in the way. Qt::WA_InputMethodEnabled alone does not do
// it: the input method asks the focused widget itself (Qt::ImEnabled), and
// QLineEdit answers yes whatever the attribute says.
void disableInputMethod(QWidget *box);

} // namespace tolvarine
