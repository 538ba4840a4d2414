#pragma once

#include <functional>
#include <optional>

#include <QDateTime>
#include <QString>

#include "platform/Outcome.h"

namespace tolvarine {

// Gives the pictures at the pressed positions new names in the order pressed: the
// k-th pressed position (from 0) gets nameFor(k + 1) in its own folder. A position
// without a picture (pictureAt empty) uses up its number. A name already in use,
// compared ignoring case, stops the renaming there with NameTaken and that name in
// the detail; names changed before stay changed. Nothing is ever replaced, not even
// a file that appears between the check and the rename. Any other failed rename is
// skipped, and the first such failure returned once the others were tried. pressed
// holds one digit per position, in the order pressed.
Outcome renameToDisplayOrder(const QString &pressed, const std::function<QString(int position)> &pictureAt,
                             const std::function<QString(int number)> &nameFor);

// Copies the blank template into a folder under its first free blank name, keeping
// the template's times. Missing, with nothing copied, when there is no template.
// The detail names the copy, or after a failed copy the name it was to have.
Outcome copyBlankPicture(const QString &templatePath, const QString &folder);

// Moves a picture to the desktop's trash, from where it can be restored; only
// where its folder has no trash is it deleted for good. A read-only picture is
// refused (ReadOnly) and stays. Done's detail is the picture's place in the trash,
// empty when it was deleted.
Outcome discardPicture(const QString &path);

// The day typed into the date dialog, at 12:00:00 local time. nullopt unless the
// year is a number from 1970 to 2070, the month one from 1 to 12, the day one from
// 1 to 31, and together they make a real calendar day.
std::optional<QDateTime> enteredDate(const QString &year, const QString &month, const QString &day);

} // namespace tolvarine
