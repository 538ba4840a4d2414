#pragma once

#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "dicom/DicomViews.h"
#include "dicom/JpegTurn.h"
#include "platform/FileSystem.h"
#include "platform/Outcome.h"

namespace tolvarine {

// Everything one exported picture carries: a VL Photographic Image whose pixel
// data is the picture's JPEG, encapsulated as JPEG Baseline.
struct DicomInstance {
    QString patientId;
    QString patientName; // already in DICOM's form, family^given
    QString studyUid;
    QString seriesUid;
    QString sopUid;
    QString studyDate; // yyyyMMdd: the visit date
    QString studyTime; // HHmmss
    QString studyId;
    QDateTime acquired;       // the capture date
    bool acquiredTime = true; // whether its time of day is known (not a date at midnight)
    QString institution;
    int seriesNumber = 1;
    QString seriesDescription;
    int instanceNumber = 1;
    const DicomView *view = nullptr;
    bool mirror = false;          // taken in a mirror
    bool mirrorCorrected = false; // the position's turning undid the mirror image
    BaselineJpeg picture;
    qint64 storedBytes = 0; // the stored file's size, for the first compression ratio
    QString derivation;     // how the picture was turned; empty when it was not
};

// The picture's DICOM form as a Part 10 file (preamble, meta header, dataset in
// JPEG Baseline). Invalid with dcmtk's text when dcmtk refuses a value.
Outcome encodeDicomFile(const DicomInstance &instance, QByteArray &out);

// The same written straight into a staged file, without a copy of the file in memory.
// The file's own outcome when a write fails.
Outcome writeDicomFile(const DicomInstance &instance, StagedFile &file);

// The SOP Instance UID of a DICOM file; empty when it is none or cannot be read.
QString dicomFileInstanceUid(const QString &path);

// DICOM's person name from the name file's "family given": the first blank (ASCII
// or ideographic) splits it into family^given, further blanks stay in the given name.
QString dicomPersonName(const QString &name);

// "2009/03/15" → "20090315"; empty when the text is no visit date.
QString dicomDate(const QString &visitDate);

// Whether dcmtk can write DICOM: its data dictionary is loaded. Refused otherwise.
Outcome dicomLibraryReady();

} // namespace tolvarine
