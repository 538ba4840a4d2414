#pragma once

#include <QString>
#include <QStringList>

namespace tolvarine {

// The longest folder the program keeps as its "Windows folder".
inline constexpr int kWindowsFolderMaxLength = 259;

// The folder holding the desktop's opener "xdg-open", searched on PATH (or in
// searchPaths when given). Empty when there is none, and empty when the folder is
// longer than kWindowsFolderMaxLength: a cut path would name another folder.
QString windowsFolder(const QStringList &searchPaths = QStringList());

// The file browser the import starts: the opener in the Windows folder. Empty when
// there is no Windows folder, where the name would point at the file system's root.
QString fileBrowserProgram(const QString &windowsFolder);

} // namespace tolvarine
