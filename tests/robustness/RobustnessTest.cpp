// Every operation that reads pictures, run over bad inputs the tests make
// themselves: each case ends in a result or in the failure the window words,
// within the time and memory limits, and changes no file of the store but by the
// operation's own intended write. One table per fault class.

#include <array>
#include <cstdio>
#include <map>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>

#include <gtest/gtest.h>

#include "BadInputs.h"
#include "Harness.h"
#include "imaging/ExifMetadata.h"
#include "imaging/ImagingControl.h"
#include "import/DropImport.h"
#include "maintenance/PictureChanges.h"
#include "platform/TextCodec.h"
#include "print/SheetPrint.h"
#include "settings/ClinicIni.h"
#include "store/CaptureDate.h"
#include "store/NameFile.h"
#include "store/PanelFill.h"
#include "store/StoreFiles.h"
#include "store/StoreNames.h"
#include "store/StorePaths.h"
#include "store/VisitListing.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"
#include "viewer/ViewPicture.h"

namespace tolvarine {
namespace {

using test::BadPicture;
using test::PictureFault;
using test::Sandbox;

enum class Operation {
    ListByFileDate,
    ListByExifDate,
    PanelFill,
    Thumbnail, // the bad bytes as the thumbnail file of a good picture
    View,
    PrintToPdf,
    DateRewrite,
    Import,
    BlankPicture,
    Rename,
};

const char *operationName(Operation op)
{
    switch (op) {
    case Operation::ListByFileDate:
        return "ListByFileDate";
    case Operation::ListByExifDate:
        return "ListByExifDate";
    case Operation::PanelFill:
        return "PanelFill";
    case Operation::Thumbnail:
        return "Thumbnail";
    case Operation::View:
        return "View";
    case Operation::PrintToPdf:
        return "PrintToPdf";
    case Operation::DateRewrite:
        return "DateRewrite";
    case Operation::Import:
        return "Import";
    case Operation::BlankPicture:
        return "BlankPicture";
    case Operation::Rename:
        return "Rename";
    }
    return "?";
}

const QDateTime kFileTime(QDate(2009, 3, 15), QTime(10, 0));
const QDateTime kNewDate(QDate(2010, 1, 2), QTime(12, 0));
const QString kNewExifDate = QStringLiteral("2010:01:02 12:00:00");

// A patient folder of the store with the picture under test (the intraoral and the
// facial one), a good picture of the same visit, a name file, and the same bytes
// outside the store as a dropped file and a blank template.
struct CaseStore {
    explicit CaseStore(const QByteArray &bytes, bool asThumbnail = false)
    {
        makeFolders();
        if (asThumbnail) {
            bad = good;
            write(thumbnailPath(good), bytes, kFileTime);
        } else {
            bad = write(folder + QStringLiteral("/IMG_0001.jpg"), bytes, kFileTime);
            faceBad = write(face + QStringLiteral("/IMG_0101.jpg"), bytes, kFileTime);
        }
        dropped = write(box.file(QStringLiteral("drop/DSC_0001.jpg")), bytes, kFileTime);
        before = test::treeOf(pict);
    }

    // A good picture as an odd file in both folders and outside the store; the
    // operations get its path as the listing gives it, or else as Qt decodes it.
    explicit CaseStore(const test::OddName &odd)
    {
        makeFolders();
        regular = false;
        const auto made = [&](const QString &in) {
            const QByteArray native = QFile::encodeName(in);
            if (!test::makeOddFile(native, odd, test::goodPicture()))
                return QString();
            const QString named = QFile::decodeName(native + '/' + odd.nativeName);
            if (odd.kind == test::OddKind::Regular || odd.kind == test::OddKind::LinkToPicture)
                test::setModified(named, kFileTime);
            for (const QString &listed : listPictures(in))
                if (QFileInfo(listed).fileName() == QFileInfo(named).fileName())
                    return listed;
            return named;
        };
        bad = made(folder);
        faceBad = made(face);
        dropped = made(box.mkdir(QStringLiteral("drop")));
        before = test::treeOf(pict);
    }

    ~CaseStore() { test::removeTree(box.path()); }

    void makeFolders()
    {
        pict = box.mkdir(QStringLiteral("pict"));
        folder = patientFolder(pict, QStringLiteral("00123"));
        face = faceFolder(folder);
        QDir().mkpath(face);
        good = write(folder + QStringLiteral("/IMG_0002.jpg"), test::goodPicture(), kFileTime.addSecs(5));
        write(folder + QStringLiteral("/krname.txt"), QByteArray("Test Patient\r\n"), kFileTime);
    }

    static QString write(const QString &path, const QByteArray &bytes, const QDateTime &time)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        test::setModified(path, time);
        return path;
    }

    test::TreeChanges changes() const { return test::changesBetween(before, test::treeOf(pict)); }
    QByteArray relative(const QString &path) const { return QFile::encodeName(path.mid(pict.size())); }

    Sandbox box;
    QString pict, folder, face, good, bad, faceBad, dropped;
    bool regular = true; // the picture under test is a regular file under a name Qt can open
    test::Tree before;
};

PanelSetup oralSetup()
{
    return panelSetup(PanelKind::Oral, QStringLiteral("0123456"), std::array<int16_t, 7>{1, 2});
}
PanelSetup faceSetup()
{
    return panelSetup(PanelKind::Face, QStringLiteral("01234"), std::array<int16_t, 5>{4, 5});
}

// Only thumbnail files may appear, each a JPEG that decodes at the thumbnail width.
void expectOnlyThumbnailsAdded(const CaseStore &s, const test::TreeChanges &changes, bool replacing)
{
    EXPECT_TRUE(changes.removed.empty()) << test::describe(changes);
    for (const auto &[path, hash] : changes.added) {
        EXPECT_TRUE(path.endsWith("sn.cmp")) << test::describe(changes);
        const QImage thumbnail(s.pict + QFile::decodeName(path));
        EXPECT_TRUE(thumbnail.width() == kThumbnailWidth || thumbnail.height() == kThumbnailWidth)
            << path.toStdString() << " " << thumbnail.width() << "x" << thumbnail.height();
    }
    if (!replacing) {
        EXPECT_TRUE(changes.changed.empty()) << test::describe(changes);
    }
    for (const auto &[path, hash] : changes.changed)
        EXPECT_TRUE(path.endsWith("sn.cmp") && !QImage(s.pict + QFile::decodeName(path)).isNull())
            << test::describe(changes);
}

// The day a reader may give a picture: its file's, or the one its Exif block holds.
void expectDay(const QDateTime &date, const std::optional<QDate> &exifDay, bool byExif)
{
    if (byExif && exifDay && date.date() == *exifDay)
        return;
    EXPECT_EQ(date.date(), kFileTime.date()) << date.toString(Qt::ISODate).toStdString();
}

void runListing(const std::string &name, const CaseStore &s, std::optional<QDate> exifDay, int16_t fileHizuke)
{
    OralListing oral;
    FaceDateListing face;
    std::vector<Outcome> failures;
    test::measured(name, [&] {
        DatedPictures pictures(listPictures(s.folder), fileHizuke);
        oral = scanOralPictures(pictures);
        failures = pictures.takeFailures();
        DatedPictures faces(listPictures(faceFolderForReading(s.folder)), fileHizuke);
        face = scanFaceDates(faces);
    });
    // A file the listing does not take (no regular file, a name Qt cannot open)
    // is not shown; a file it takes is dated.
    ASSERT_EQ(oral.intOralCount, s.regular ? 2 : int(oral.strOralFile.size()));
    ASSERT_GE(oral.intOralCount, 1);
    EXPECT_TRUE(failures.empty());
    for (int i = 0; i < 2; ++i) {
        if (oral.strOralFile.at(i) == s.bad)
            expectDay(oral.datOralFile.at(size_t(i)), exifDay, fileHizuke == 0);
    }
    ASSERT_EQ(face.dates.size(), face.intFaceCount == 0 ? 0 : 1);
    if (face.intFaceCount > 0)
        expectDay(QDateTime(*parseVisitDate(face.dates.front()), QTime()), exifDay, fileHizuke == 0);
    EXPECT_TRUE(s.changes().none()) << test::describe(s.changes());
}

void runPanelFill(const std::string &name, const CaseStore &s, bool replacing)
{
    std::vector<PanelPicture> oral, face;
    test::measured(name, [&] {
        oral =
            preparePanel({s.bad == s.good ? QStringList{s.good} : QStringList{s.bad, s.good}}, oralSetup());
        saveMissingThumbnails(oral, oralSetup());
        if (!s.faceBad.isEmpty()) {
            face = preparePanel({s.faceBad}, faceSetup());
            saveMissingThumbnails(face, faceSetup());
        }
    });
    // A picture made small is the thumbnail's width (its height, turned a quarter),
    // unless its proportions cannot be held, and then it is no thumbnail to keep. A
    // thumbnail file that decodes is shown as it is.
    const auto expectThumbnail = [](const PanelPicture &p, bool quarter) {
        if (!p.image.isNull() && !p.fromThumbnail && p.keepThumbnail) {
            EXPECT_EQ(quarter ? p.image.height() : p.image.width(), kThumbnailWidth)
                << p.picture.toStdString();
        }
    };
    for (const PanelPicture &p : oral)
        expectThumbnail(p, false);
    for (const PanelPicture &p : face)
        expectThumbnail(p, true);
    // The good picture is shown, whatever became of the bad one or of its thumbnail.
    EXPECT_FALSE(oral.back().image.isNull());
    expectOnlyThumbnailsAdded(s, s.changes(), replacing);
}

void runView(const std::string &name, const CaseStore &s)
{
    AppSettings settings;
    settings.Contrast = settings.Kido = settings.RGB = 1;
    settings.ContrastTi = 100;
    settings.KidoTi = -50;
    settings.RedTi = 200;
    ViewPicture view(s.bad, PanelKind::Oral, 1, settings);
    const QSize area(1200, 984);
    Outcome fitted;
    std::optional<Outcome> zoomed;
    // Opening and zooming are two results the user waits for, each held to the limit.
    test::measured(name, [&] { fitted = view.fit(area); });
    if (fitted) {
        test::measured(name + " zoom", [&] {
            const QSize turned = view.turnedSize();
            const QRectF visible(turned.width() / 2.0 - 100, turned.height() / 2.0 - 100, 200, 200);
            if (const std::optional<ZoomRequest> request = view.zoomRequest(visible, 1.0)) {
                ZoomResult result = decodeZoom(*request);
                zoomed = result.outcome;
                view.takeZoom(std::move(result));
            }
        });
    }
    if (fitted) {
        const QSize got = view.fittedImage().size();
        EXPECT_TRUE(got.width() == area.width() || got.height() == area.height())
            << got.width() << "x" << got.height();
        EXPECT_TRUE(got.width() <= area.width() && got.height() <= area.height());
    } else {
        EXPECT_TRUE(view.fittedImage().isNull());
    }
    if (zoomed && zoomed->ok()) {
        EXPECT_FALSE(view.zoomTile().image.isNull());
    }
    EXPECT_TRUE(s.changes().none()) << test::describe(s.changes());
}

void runPrint(const std::string &name, const CaseStore &s)
{
    const SheetSource source{SheetKind::Normal,
                             {QStringLiteral("No.00123"), QStringLiteral("山田 花子 様"),
                              QStringLiteral("平成21年3月15日"), QStringLiteral("初診"), 0},
                             QStringLiteral("テスト歯科医院"),
                             {s.bad, s.good},
                             {s.faceBad},
                             oralSetup(),
                             faceSetup()};
    const QString pdf = s.box.file(QStringLiteral("out/sheet.pdf"));
    QDir().mkpath(QFileInfo(pdf).absolutePath());
    const PdfSheetFile file{
        pdf, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)), 150,
        QStringLiteral("sheet"), QStringLiteral("robustness")};
    Outcome printed;
    test::measured(name, [&] { printed = printSheetToPdf(file, source); });
    if (printed) {
        EXPECT_TRUE(test::bytesOf(pdf).startsWith("%PDF-"));
    } else {
        // The message names the file and what the decoder said.
        EXPECT_FALSE(QFileInfo::exists(pdf));
        EXPECT_TRUE(printed.status == Status::Damaged || printed.status == Status::Unreadable
                    || printed.status == Status::Missing)
            << int(printed.status);
        EXPECT_FALSE(printed.detail.isEmpty());
    }
    EXPECT_TRUE(s.changes().none()) << test::describe(s.changes());
}

void runDateRewrite(const std::string &name, const CaseStore &s)
{
    // Read only when it is a regular file (opening a pipe waits for a writer); the
    // odd files all hold the good picture.
    const QByteArray was = s.regular ? test::bytesOf(s.bad) : test::goodPicture();
    Outcome exif, time;
    test::measured(name, [&] {
        ImagingControl control;
        exif = writeExifDate(control, s.bad, kNewDate);
        time = setFileTime(s.bad, kNewDate);
    });
    if (s.regular) {
        EXPECT_TRUE(time.ok()) << time.detail.toStdString();
    }
    const test::TreeChanges changes = s.changes();
    if (exif) {
        const QByteArray now = test::bytesOf(s.bad);
        EXPECT_EQ(exifDateTime(now).value_or(QString()), kNewExifDate);
        EXPECT_EQ(test::jpegScanData(now), test::jpegScanData(was));
        EXPECT_TRUE(changes.added.empty() && changes.removed.empty()) << test::describe(changes);
        EXPECT_LE(changes.changed.size(), 1u) << test::describe(changes);
    } else {
        EXPECT_TRUE(changes.none()) << test::describe(changes);
    }
}

void runImport(const std::string &name, const CaseStore &s)
{
    ImportResult result;
    test::measured(name, [&] {
        DropImport import;
        result = import.run({{s.dropped}, QStringLiteral("123"), true, s.pict});
    });
    EXPECT_EQ(result.status, ImportStatus::Done);
    const test::TreeChanges changes = s.changes();
    EXPECT_EQ(result.imported.size() + qsizetype(result.failures.size()), 1);
    EXPECT_TRUE(changes.removed.empty() && changes.changed.empty()) << test::describe(changes);
    // A picture the store already holds is imported as that file, adding none.
    const QByteArray dropped = test::sha256(s.regular ? test::bytesOf(s.dropped) : test::goodPicture());
    EXPECT_LE(changes.added.size(), size_t(result.imported.size())) << test::describe(changes);
    for (const QString &path : result.imported)
        EXPECT_EQ(test::sha256(test::bytesOf(path)), dropped) << path.toStdString();
    for (const auto &[path, hash] : changes.added)
        EXPECT_EQ(hash, dropped) << path.toStdString();
}

void runBlankPicture(const std::string &name, const CaseStore &s)
{
    Outcome copied, exif, time;
    test::measured(name, [&] {
        copied = copyBlankPicture(s.dropped, s.folder);
        if (!copied)
            return;
        ImagingControl control;
        exif = writeExifDate(control, copied.detail, kNewDate);
        time = setFileTime(copied.detail, kNewDate);
    });
    if (!s.regular && !copied) {
        EXPECT_TRUE(s.changes().none()) << test::describe(s.changes());
        return;
    }
    ASSERT_TRUE(copied.ok()) << copied.detail.toStdString();
    EXPECT_TRUE(time.ok());
    const QByteArray blank = test::bytesOf(copied.detail);
    if (exif)
        EXPECT_EQ(exifDateTime(blank).value_or(QString()), kNewExifDate);
    else
        EXPECT_EQ(blank, test::bytesOf(s.dropped));
    const test::TreeChanges changes = s.changes();
    EXPECT_TRUE(changes.removed.empty() && changes.changed.empty()) << test::describe(changes);
    EXPECT_EQ(changes.added.size(), 1u) << test::describe(changes);
    EXPECT_EQ(changes.added.count(s.relative(copied.detail)), 1u) << test::describe(changes);
}

void runRename(const std::string &name, const CaseStore &s)
{
    Outcome renamed;
    test::measured(name, [&] {
        renamed = renameToDisplayOrder(
            QStringLiteral("0"), [&](int) { return s.bad; },
            [](int number) { return orderedOralName(QStringLiteral("20090315-"), number); });
    });
    const test::TreeChanges changes = s.changes();
    if (!s.regular && changes.none())
        return; // a name Qt cannot open is not renamed, and the rename says it failed
    EXPECT_TRUE(renamed.ok()) << renamed.detail.toStdString();
    const QString to = s.folder + QStringLiteral("/20090315-1.jpg");
    ASSERT_EQ(changes.added.size(), 1u) << test::describe(changes);
    EXPECT_EQ(changes.removed.size(), 1u) << test::describe(changes);
    EXPECT_TRUE(changes.changed.empty()) << test::describe(changes);
    EXPECT_EQ(changes.added.begin()->first, s.relative(to));
    EXPECT_EQ(changes.added.begin()->second, changes.removed.begin()->second);
}

void runOperation(Operation op, const std::string &name, const CaseStore &s, std::optional<QDate> exifDay)
{
    switch (op) {
    case Operation::ListByFileDate:
        return runListing(name, s, exifDay, 1);
    case Operation::ListByExifDate:
        return runListing(name, s, exifDay, 0);
    case Operation::PanelFill:
        return runPanelFill(name, s, false);
    case Operation::Thumbnail:
        return runPanelFill(name, s, true);
    case Operation::View:
        return runView(name, s);
    case Operation::PrintToPdf:
        return runPrint(name, s);
    case Operation::DateRewrite:
        return runDateRewrite(name, s);
    case Operation::Import:
        return runImport(name, s);
    case Operation::BlankPicture:
        return runBlankPicture(name, s);
    case Operation::Rename:
        return runRename(name, s);
    }
}

const std::array kOperations{Operation::ListByFileDate, Operation::ListByExifDate, Operation::PanelFill,
                             Operation::Thumbnail,      Operation::View,           Operation::PrintToPdf,
                             Operation::DateRewrite,    Operation::Import,         Operation::BlankPicture,
                             Operation::Rename};

// --- bad pictures ------------------------------------------------------------------

// Made once per run: the picture with thousands of scans takes a while.
const std::vector<BadPicture> &corpusOf(PictureFault fault)
{
    static std::map<PictureFault, std::vector<BadPicture>> made;
    auto it = made.find(fault);
    if (it == made.end())
        it = made.emplace(fault, test::badPictures(fault)).first;
    return it->second;
}

class BadPictures : public ::testing::TestWithParam<std::tuple<PictureFault, Operation>> {};

TEST_P(BadPictures, EndInAResultWithinLimitsAndKeepTheStore)
{
    const auto [fault, op] = GetParam();
    const std::vector<BadPicture> &corpus = corpusOf(fault);
    ASSERT_FALSE(corpus.empty());
    for (const BadPicture &bad : corpus) {
        const std::string name =
            std::string(test::faultName(fault)) + "/" + bad.name + " " + operationName(op);
        SCOPED_TRACE(name);
        runOperation(op, name, CaseStore(bad.bytes, op == Operation::Thumbnail), bad.exifDay);
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, BadPictures,
                         ::testing::Combine(::testing::Values(PictureFault::NotJpeg, PictureFault::CutShort,
                                                              PictureFault::Header, PictureFault::Coding,
                                                              PictureFault::Exif, PictureFault::Mutated),
                                            ::testing::ValuesIn(kOperations)),
                         test::namedBy([](const auto &param) {
                             return std::string(test::faultName(std::get<0>(param))) + "_"
                                    + operationName(std::get<1>(param));
                         }));

// The corpus stays large enough to mean something; the count is printed for the record.
TEST(Robustness, CorpusHoldsAtLeast300Cases)
{
    size_t pictures = 0;
    for (PictureFault fault : {PictureFault::NotJpeg, PictureFault::CutShort, PictureFault::Header,
                               PictureFault::Coding, PictureFault::Exif, PictureFault::Mutated})
        pictures += corpusOf(fault).size();
    const size_t texts =
        test::badTexts(test::TextKind::NameFile).size() + test::badTexts(test::TextKind::ClinicIni).size();
    const size_t odd = test::oddNames().size();
    std::printf("bad pictures %zu, text files %zu, odd files %zu\n", pictures, texts, odd);
    EXPECT_GE(pictures + texts + odd, 300u);
}

// --- odd names and files that are no pictures ------------------------------------

// A good picture under a name that is not valid UTF-8 or otherwise odd, or a
// picture's name on something that is no regular file, as if it had become one
// after the listing.
class OddFiles : public ::testing::TestWithParam<Operation> {};

TEST_P(OddFiles, EndInAResultWithinLimitsAndKeepTheStore)
{
    const Operation op = GetParam();
    for (const test::OddName &odd : test::oddNames()) {
        const std::string name = "OddFiles/" + odd.name + " " + operationName(op);
        SCOPED_TRACE(name);
        const CaseStore s(odd);
        ASSERT_FALSE(s.bad.isEmpty() || s.faceBad.isEmpty() || s.dropped.isEmpty());
        runOperation(op, name, s, test::corpusExifDay());
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, OddFiles,
                         ::testing::Values(Operation::ListByFileDate, Operation::ListByExifDate,
                                           Operation::PanelFill, Operation::View, Operation::PrintToPdf,
                                           Operation::DateRewrite, Operation::Import, Operation::BlankPicture,
                                           Operation::Rename),
                         test::namedBy([](Operation op) { return operationName(op); }));

// --- the store's and the program's text files ---------------------------------------

// What a window would show, and write back on leaving the name box: nothing a
// decoder made up (replacement characters, NUL), nothing cut inside a character.
void expectPlainText(const QString &text, bool writtenBack)
{
    EXPECT_FALSE(text.contains(QChar(0))) << text.toStdString();
    if (writtenBack) {
        EXPECT_FALSE(text.contains(QChar(0xFFFD))) << text.toStdString();
    }
}

class TextFiles : public ::testing::TestWithParam<test::TextKind> {};

TEST_P(TextFiles, ReadWhatTheyHoldOrNothingWithinLimits)
{
    const test::TextKind kind = GetParam();
    for (const test::BadText &bad : test::badTexts(kind)) {
        const std::string name =
            std::string(kind == test::TextKind::NameFile ? "krname/" : "clinic/") + bad.name;
        SCOPED_TRACE(name);
        Sandbox box;
        if (kind == test::TextKind::NameFile) {
            const QString path = box.write(QStringLiteral("00123/krname.txt"), bad.bytes);
            const test::Tree before = test::treeOf(box.path());
            std::optional<QString> read;
            test::measured(name, [&] { read = readPatientName(path); });
            if (bad.expected) {
                EXPECT_EQ(read.value_or(QStringLiteral("(unreadable)")), *bad.expected);
            }
            EXPECT_TRUE(test::changesBetween(before, test::treeOf(box.path())).none());
            if (!read || read->isEmpty())
                continue;
            expectPlainText(*read, true);
            // Leaving the name box writes the name back: it must read back the same.
            const QString copy = box.file(QStringLiteral("copy/krname.txt"));
            QDir().mkpath(QFileInfo(copy).absolutePath());
            ASSERT_TRUE(writePatientName(copy, *read).ok());
            EXPECT_EQ(readPatientName(copy).value_or(QString()), *read);
        } else {
            box.write(QStringLiteral("program/clinic.ini"), bad.bytes);
            std::optional<ClinicIni> ini;
            test::measured(name, [&] { ini = readClinicIni(box.file(QStringLiteral("program"))); });
            ASSERT_TRUE(ini.has_value());
            if (bad.expected) {
                EXPECT_EQ(ini->ClinicName, *bad.expected);
            }
            for (const QString &value : {ini->ClinicName, ini->ClinicFontSize, ini->ClinicFontName}) {
                expectPlainText(value, false);
                EXPECT_LE(cp932ByteLength(value), kClinicValueMaxBytes);
            }
            const int points = clinicFontPointSize(ini->ClinicFontSize);
            EXPECT_TRUE(points >= 8 && points <= 16) << points;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, TextFiles,
                         ::testing::Values(test::TextKind::NameFile, test::TextKind::ClinicIni),
                         test::namedBy([](test::TextKind kind) {
                             return kind == test::TextKind::NameFile ? "krname" : "clinic_ini";
                         }));

} // namespace
} // namespace tolvarine
