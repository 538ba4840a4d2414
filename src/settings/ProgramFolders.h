#pragma once

#include <QString>

namespace tolvarine {

// Where the program looks for the files it ships, the files an administrator adds,
// and the picture folder a user has not chosen yet.
//
// A built copy keeps all three in the executable's folder. An installed copy is one
// whose executable lies in <prefix>/bin beside a folder <prefix>/share/tolvarine:
// its shipped files are read from there; the administrator's files from
// /etc/tolvarine (for the prefix /usr) or <prefix>/etc/tolvarine (any other prefix),
// and from nowhere else; the picture folder defaults to "Tolvarine" in the user's
// pictures folder, since the program's folder is the system's and not writable.
struct ProgramFolders {
    QString program;  // the program's own folder: "nopic.jpg", the help file
    QString admin;    // "clinic.ini", "PrintQHigh.txt"
    QString pictures; // default picture and import folder; where folder lists fall back to
    bool installed = false;
};

// A built copy whose files all live in folder.
ProgramFolders builtProgramFolders(const QString &folder);

// The folders of a program whose executable lies in executableFolder. userPictures
// is the user's pictures folder (the home folder when the desktop names none).
ProgramFolders programFoldersFor(const QString &executableFolder, const QString &userPictures);

// The folders of the running program.
ProgramFolders runningProgramFolders();

} // namespace tolvarine
