#pragma once

#include <QString>

namespace tolvarine {

// How an operation that can fail ended. Core code returns it; the windows turn it
// into the user's message. Every fallible operation of the program uses this one
// type, so that a caller never has to learn another convention.
enum class Status {
    Done,       // it did what was asked
    Unchanged,  // nothing needed doing (the same bytes were there already)
    Missing,    // the file or folder is not there (any more)
    IsFolder,   // a folder where a file was expected
    Unreadable, // cannot be opened or read, or changed while read
    ReadOnly,   // a read-only file, which the program never changes
    FolderMissing,
    WriteFailed, // the target cannot be written (full, no rights, a server refusing)
    NoFreeName,
    NameTaken,  // another file holds the name, and nothing replaces it
    NotJpeg,    // the bytes are no JPEG file
    Damaged,    // the file's structure is broken or cut short
    Refused,    // the operation would change more than it may, so it was not done
    Unverified, // the result did not pass its check and was not published
    Cancelled,
    Invalid, // the call does not fit its arguments or state (no bitmap, a size out of range)
};

struct Outcome {
    Status status = Status::Done;
    int error = 0;  // errno of the failing call, when there was one
    QString detail; // the file concerned, or the library's own text

    bool ok() const { return status == Status::Done || status == Status::Unchanged; }
    explicit operator bool() const { return ok(); }

    static Outcome done(QString detail = {}) { return {Status::Done, 0, std::move(detail)}; }
    static Outcome unchanged(QString detail = {}) { return {Status::Unchanged, 0, std::move(detail)}; }
    static Outcome failed(Status status, QString detail = {}, int error = 0)
    {
        return {status, error, std::move(detail)};
    }
};

} // namespace tolvarine
