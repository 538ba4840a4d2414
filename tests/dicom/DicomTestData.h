#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "dicom/DicomPlan.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"

#include <ostream>

// Readable values in gtest's messages.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList &list, std::ostream *os) { *os << list.join(u", ").toStdString(); }

namespace tolvarine::test {

// Patient 00123, 山田 花子, one visit on 15 March 2009 of 7 intraoral and 5 facial
// quadrant pictures (96 x 64: whole JPEG blocks, so every turn is lossless), with
// the settings a clinic would have: a view and orientation code for each position,
// two positions taken in a mirror.
struct VisitStore {
    explicit VisitStore(const Sandbox &box, int oral = 7, int face = 5);
    QString pictFolda;
    QString patient;
    QStringList oral;
    QStringList face;
    AppSettings settings;
    QDate day{2009, 3, 15};
    QString visitDate() const { return QStringLiteral("2009/03/15"); }
    DicomPlan plan() const;
};

// A value of a DICOM file's dataset, as dcmtk reads it; empty when absent.
QString dicomText(const QString &path, const char *tagName);
// The code value of the first item of a sequence (the first of its own items when
// inner names a sequence inside it); empty when there is none.
QString codeIn(const QString &path, const char *sequence, const char *inner = nullptr);
// The first fragment of the encapsulated pixel data, without the pad byte of an odd length.
QByteArray firstFragment(const QString &path, qsizetype realSize);
// The files a DICOMDIR lists, as paths below its folder.
QStringList dicomDirFiles(const QString &dicomDir);
// Every file below a folder, relative to it, sorted.
QStringList filesBelow(const QString &folder);

} // namespace tolvarine::test
