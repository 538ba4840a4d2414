#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "import/DropImport.h"
#include "import/ImportMessages.h"
#include "store/CaptureDate.h"
#include "store/StoreNames.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

QStringList entries(const QString &folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Records what the import asks of its window, in order.
struct RecordingHost {
    QStringList events;
    QString current;
    std::function<void(int16_t)> onProgress;

    ImportHost host()
    {
        ImportHost h;
        h.enterBusy = [this] { events << "enterBusy"; };
        h.leaveBusy = [this] { events << "leaveBusy"; };
        h.showProgress = [this](int16_t max) { events << QStringLiteral("showProgress:%1").arg(max); };
        h.progress = [this](int16_t pos) {
            events << QStringLiteral("progress:%1").arg(pos);
            if (onProgress)
                onProgress(pos);
        };
        h.hideProgress = [this] { events << "hideProgress"; };
        h.showFiles = [this](const QStringList &paths) {
            events << QStringLiteral("showFiles:%1").arg(paths.size());
        };
        h.setListedFolderAndRefresh = [this](const QString &folder) { events << "refresh:" + folder; };
        h.focusMain = [this] { events << "focusMain"; };
        h.currentFolder = [this] { return current; };
        addImportMessages(h);
        return h;
    }
};

class DropImportTest : public ::testing::Test {
protected:
    DropImportTest() : pict(box.mkdir("pict")), importer(recorder.host()) {}

    QStringList cardFiles(int count, const QString &folder = "card")
    {
        QStringList paths;
        for (int i = 1; i <= count; ++i)
            paths << box.write(QStringLiteral("%1/IMG_%2.jpg").arg(folder).arg(i, 4, 10, QLatin1Char('0')),
                               QStringLiteral("picture %1 of %2").arg(i).arg(folder).toUtf8());
        return paths;
    }

    ImportResult drop(const QStringList &files, const QString &krNo, bool oral = true)
    {
        return importer.run({files, krNo, oral, pict});
    }

    test::Sandbox box;
    QString pict;
    RecordingHost recorder;
    DropImport importer;
};

TEST_F(DropImportTest, PatientTwelveGoesIntoItsFolderCreatedOnTheWay)
{
    test::MessageRecorder messages;
    const QStringList files = cardFiles(3);
    const ImportResult r = drop(files, "12");

    EXPECT_EQ(r.status, ImportStatus::Done);
    const QString patient = pict + "/000/00012";
    EXPECT_EQ(r.patientFolder, patient);
    EXPECT_EQ(entries(patient), QStringList({"Face", "IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg"}));
    EXPECT_TRUE(entries(patient + "/Face").isEmpty());
    EXPECT_EQ(contents(patient + "/IMG_0002.jpg"), contents(files[1]));
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(recorder.events,
              QStringList({"enterBusy", "showProgress:2", "showFiles:3", "progress:0", "progress:1",
                           "progress:2", "leaveBusy", "hideProgress", "refresh:" + patient, "focusMain"}));
}

TEST_F(DropImportTest, FacialDropsGoIntoTheFaceFolderAndTheListingShowsThePatient)
{
    const QStringList files = cardFiles(2);
    const ImportResult r = drop(files, "12", false);

    const QString patient = pict + "/000/00012";
    EXPECT_EQ(r.targetFolder, patient + "/Face");
    EXPECT_EQ(entries(patient + "/Face"), QStringList({"IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(entries(patient), QStringList({"Face"}));
    EXPECT_TRUE(recorder.events.contains("refresh:" + patient));
}

TEST_F(DropImportTest, AnExistingFaceFolderOfAnyCaseIsUsed)
{
    box.mkdir("pict/001/00123/FACE");
    const ImportResult r = drop(cardFiles(1), "123", false);

    const QString patient = pict + "/001/00123";
    EXPECT_EQ(r.targetFolder, patient + "/FACE");
    EXPECT_EQ(entries(patient), QStringList({"FACE"}));
    EXPECT_EQ(entries(patient + "/FACE"), QStringList({"IMG_0001.jpg"}));
}

TEST_F(DropImportTest, TrailingSeparatorOfThePictureFolderGivesTheSameFolders)
{
    const QStringList files = cardFiles(1);
    const ImportResult plain = importer.run({files, "7", true, pict});
    const ImportResult slashed = importer.run({files, "7", true, pict + "/"});
    EXPECT_EQ(plain.patientFolder, pict + "/000/00007");
    EXPECT_EQ(slashed.patientFolder, plain.patientFolder);
    EXPECT_EQ(slashed.imported, plain.imported);
    EXPECT_EQ(entries(pict), QStringList({"000"}));
    EXPECT_EQ(entries(pict + "/000"), QStringList({"00007"}));
}

struct RefusalCase {
    const char *krNo;
    bool pictureFolderExists;
    const char *message;
};

class DropImportRefusal : public DropImportTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DropImportRefusal, RefusesBeforeAnythingIsCreatedOrCopied)
{
    const RefusalCase &c = GetParam();
    const QStringList files = cardFiles(2);
    const QString missing = box.file("no-pict");
    test::MessageRecorder messages;

    const ImportResult r =
        importer.run({files, QString::fromUtf8(c.krNo), true, c.pictureFolderExists ? pict : missing});

    EXPECT_EQ(r.status, ImportStatus::Refused);
    EXPECT_EQ(messages.texts(), QStringList({QString::fromUtf8(c.message)}));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].title, "Tolvarine");
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(entries(pict).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(recorder.events.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Checks, DropImportRefusal,
                         ::testing::Values(RefusalCase{"12a", true, "患者番号は数値を入力して下さい"},
                                           RefusalCase{"123456", true, "患者番号が不正です"},
                                           RefusalCase{"12", false, "画像フォルダが見つかりません"},
                                           // the checks come in this order
                                           RefusalCase{"1234567a", false, "患者番号は数値を入力して下さい"},
                                           RefusalCase{"123456", false, "患者番号が不正です"}),
                         test::namedBy([](const RefusalCase &c) {
                             return QStringLiteral("%1_%2").arg(c.krNo, c.pictureFolderExists ? "withFolder"
                                                                                              : "noFolder");
                         }));

TEST_F(DropImportTest, EmptyNumberAnsweredNoCopiesNothing)
{
    recorder.current = box.mkdir("shown");
    test::MessageRecorder messages(MessageAnswer::No);
    const ImportResult r = drop(cardFiles(2), "");

    EXPECT_EQ(r.status, ImportStatus::Declined);
    ASSERT_EQ(messages.messages().size(), 1u);
    const MessageRequest &q = messages.messages()[0];
    EXPECT_EQ(q.text, "患者番号が入力されてません。\r\n現在のフォルダに保存しますか");
    EXPECT_EQ(q.title, "Tolvarine");
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.defaultAnswer, MessageAnswer::No);
    EXPECT_TRUE(entries(recorder.current).isEmpty());
    EXPECT_EQ(recorder.events, QStringList({"focusMain"}));
}

TEST_F(DropImportTest, EmptyNumberAnsweredYesCopiesIntoTheShownFolderWithoutBusyState)
{
    recorder.current = box.mkdir("pict/somewhere");
    test::MessageRecorder messages(MessageAnswer::Yes);
    const ImportResult r = drop(cardFiles(2), "");

    EXPECT_EQ(r.status, ImportStatus::Done);
    EXPECT_EQ(entries(recorder.current), QStringList({"Face", "IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_FALSE(recorder.events.contains("enterBusy"));
    EXPECT_TRUE(recorder.events.filter("showProgress").isEmpty());
    EXPECT_EQ(recorder.events.mid(recorder.events.size() - 4),
              QStringList({"leaveBusy", "hideProgress", "refresh:" + recorder.current, "focusMain"}));
}

TEST_F(DropImportTest, EmptyNumberAnsweredYesInFacialModeUsesTheShownFoldersFaceFolder)
{
    recorder.current = box.mkdir("pict/000/00005");
    box.mkdir("pict/000/00005/face");
    test::MessageRecorder messages(MessageAnswer::Yes);
    const ImportResult r = drop(cardFiles(1), "", false);
    EXPECT_EQ(entries(recorder.current), QStringList({"face"}));
    EXPECT_EQ(entries(recorder.current + "/face"), QStringList({"IMG_0001.jpg"}));
    EXPECT_TRUE(recorder.events.contains("refresh:" + recorder.current));
}

TEST_F(DropImportTest, ImportedPictureIsListedUnderTheDayItWasTaken)
{
    const QStringList files = cardFiles(1);
    ASSERT_TRUE(test::setModified(files[0], QDateTime(QDate(2009, 3, 15), QTime(9, 41, 7))));
    const ImportResult r = drop(files, "12");

    ASSERT_EQ(r.imported.size(), 1);
    const std::optional<QDateTime> date = readFileDate(r.imported[0]);
    ASSERT_TRUE(date);
    EXPECT_EQ(visitDateText(*date), "2009/03/15");
    EXPECT_EQ(*date, QDateTime(QDate(2009, 3, 15), QTime(9, 41, 7)));
}

TEST_F(DropImportTest, SameNameSameContentStaysOneUnchangedFile)
{
    const QStringList files = cardFiles(1);
    drop(files, "12");
    const QString stored = pict + "/000/00012/IMG_0001.jpg";
    const QDateTime before(QDate(2005, 5, 5), QTime(5, 5, 5));
    ASSERT_TRUE(test::setModified(stored, before));

    test::MessageRecorder messages;
    const ImportResult r = drop(files, "12");
    EXPECT_EQ(r.imported, QStringList({stored}));
    EXPECT_TRUE(r.failures.empty());
    EXPECT_EQ(entries(pict + "/000/00012"), QStringList({"Face", "IMG_0001.jpg"}));
    EXPECT_EQ(QFileInfo(stored).lastModified(), before);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(DropImportTest, SameNameOtherContentKeepsBothPictures)
{
    drop(cardFiles(1, "visit1"), "12");
    drop(cardFiles(1, "visit2"), "12");
    const ImportResult third = drop(cardFiles(1, "visit3"), "12");

    const QString patient = pict + "/000/00012";
    EXPECT_EQ(entries(patient), QStringList({"Face", "IMG_0001.jpg", "IMG_0001_2.jpg", "IMG_0001_3.jpg"}));
    EXPECT_EQ(contents(patient + "/IMG_0001.jpg"), "picture 1 of visit1");
    EXPECT_EQ(contents(patient + "/IMG_0001_2.jpg"), "picture 1 of visit2");
    EXPECT_EQ(third.imported, QStringList({patient + "/IMG_0001_3.jpg"}));
}

TEST_F(DropImportTest, SourceVanishingMidwayIsReportedAndTheOthersAreImported)
{
    const QStringList files = cardFiles(5);
    recorder.onProgress = [&](int16_t pos) {
        if (pos == 1)
            QFile::remove(files[2]);
    };
    test::MessageRecorder messages;
    const ImportResult r = drop(files, "12");

    const QString patient = pict + "/000/00012";
    EXPECT_EQ(entries(patient),
              QStringList({"Face", "IMG_0001.jpg", "IMG_0002.jpg", "IMG_0004.jpg", "IMG_0005.jpg"}));
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(r.failures[0].path, files[2]);
    EXPECT_EQ(r.failures[0].reason, ImportFailureReason::Missing);
    ASSERT_EQ(messages.messages().size(), 1u);
    const QString text = messages.messages()[0].text;
    EXPECT_TRUE(text.startsWith("取り込めなかったファイルがあります（1件）\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(files[2]));
    EXPECT_FALSE(text.contains(files[3]));
    EXPECT_EQ(messages.messages()[0].title, "Tolvarine");
    // the listing still follows, before the message
    EXPECT_TRUE(recorder.events.contains("refresh:" + patient));
}

TEST_F(DropImportTest, DroppedFolderIsReportedAndTheFilesAroundItAreImported)
{
    QStringList files = cardFiles(2);
    const QString folder = box.mkdir("card/Album");
    files.insert(1, folder);
    files.insert(2, folder + "/");
    test::MessageRecorder messages;
    const ImportResult r = drop(files, "12");

    EXPECT_EQ(r.imported.size(), 2);
    ASSERT_EQ(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[0].reason, ImportFailureReason::Folder);
    EXPECT_EQ(r.failures[1].reason, ImportFailureReason::Folder);
    EXPECT_EQ(entries(pict + "/000/00012"), QStringList({"Face", "IMG_0001.jpg", "IMG_0002.jpg"}));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.contains("（2件）"));
}

TEST_F(DropImportTest, FolderThatCannotBeCreatedIsReportedAndNothingIsHalfWritten)
{
    box.write("pict/000", "a file where the group folder belongs");
    const QStringList files = cardFiles(2);
    test::MessageRecorder messages;
    const ImportResult r = drop(files, "12");

    EXPECT_EQ(r.status, ImportStatus::Done);
    EXPECT_TRUE(r.imported.isEmpty());
    ASSERT_EQ(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[0].reason, ImportFailureReason::TargetFolder);
    EXPECT_EQ(entries(pict), QStringList({"000"}));
    EXPECT_EQ(contents(pict + "/000"), "a file where the group folder belongs");
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.contains(files[0]));
    EXPECT_TRUE(messages.messages()[0].text.contains(files[1]));
    // busy state left and the window told, as after any import
    EXPECT_TRUE(recorder.events.contains("leaveBusy"));
    EXPECT_TRUE(recorder.events.contains("hideProgress"));
}

TEST_F(DropImportTest, ProgressMaximumFollowsTheNumberOfFiles)
{
    drop(cardFiles(9), "12");
    EXPECT_EQ(importer.progressState().intImportMax, 8);
    EXPECT_EQ(importer.progressState().intImportPos, 8);
    EXPECT_TRUE(recorder.events.contains("showProgress:8"));
    EXPECT_EQ(recorder.events.filter("progress:").size(), 9);

    recorder.events.clear();
    drop(cardFiles(1, "single"), "12");
    EXPECT_EQ(importer.progressState().intImportMax, 1);
}

TEST_F(DropImportTest, SecondDropWhileRunningIsIgnoredAndTheFirstFinishesUndisturbed)
{
    const QStringList first = cardFiles(4);
    const QStringList second = cardFiles(2, "other");
    std::optional<ImportResult> nested;
    recorder.onProgress = [&](int16_t pos) {
        if (pos == 1) {
            EXPECT_TRUE(importer.isRunning());
            nested = importer.run({second, "99", false, pict});
        }
    };
    const ImportResult r = drop(first, "12", true);

    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->status, ImportStatus::Ignored);
    EXPECT_EQ(r.imported.size(), 4);
    EXPECT_EQ(entries(pict), QStringList({"000"}));
    EXPECT_EQ(entries(pict + "/000/00012"),
              QStringList({"Face", "IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg", "IMG_0004.jpg"}));
    EXPECT_EQ(recorder.events.filter("enterBusy").size(), 1);
    EXPECT_FALSE(importer.isRunning());
}

struct NameCase {
    const char *path;
    const char *name;
};

class ImportName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ImportName, IsTheLastPartOfThePath)
{
    const NameCase &c = GetParam();
    EXPECT_EQ(importNameFromPath(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportName,
                         ::testing::Values(NameCase{"/media/card/IMG_0001.jpg", "/IMG_0001.jpg"},
                                           NameCase{"/a/abcd", "/abcd"}, NameCase{"/abcd", "/abcd"},
                                           NameCase{"/card/写真.jpg", "/写真.jpg"},
                                           NameCase{"/a.b/c.d/e.jpg", "/e.jpg"},
                                           // names shorter than four characters stay whole
                                           NameCase{"/tmp/face/x", "/x"}, NameCase{"/a/x.j", "/x.j"},
                                           NameCase{"/b/ab", "/ab"}, NameCase{"/x", "/x"},
                                           // no name to take
                                           NameCase{"/tmp/dir/", ""}, NameCase{"abc", ""},
                                           NameCase{"IMG_0001.jpg", ""}, NameCase{"", ""}, NameCase{"/", ""}),
                         test::namedBy([](const NameCase &c) {
                             return test::labelled(c.path, {{"/card/写真.jpg", "/card/kanji.jpg"}});
                         }));

TEST(NotImportedMessage, NamesEveryFileUpToALimit)
{
    std::vector<ImportFailure> failures;
    EXPECT_TRUE(notImportedMessage(failures).isEmpty());
    for (int i = 0; i < 25; ++i)
        failures.push_back({QStringLiteral("/card/f%1.jpg").arg(i), ImportFailureReason::Unreadable});
    const QStringList lines = notImportedMessage(failures).split("\r\n");
    EXPECT_EQ(lines.first(), "取り込めなかったファイルがあります（25件）");
    EXPECT_EQ(lines.size(), 1 + 20 + 1);
    EXPECT_TRUE(lines[1].startsWith("/card/f0.jpg"));
    EXPECT_EQ(lines.last(), "ほか5件");
}

} // namespace
