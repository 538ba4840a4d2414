#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include "BrowseWindowFixture.h"
#include "print/PrintController.h"
#include "print/frmPrint.h"
#include "store/NameFile.h"
#include "store/StorePaths.h"
#include "support/TestSupport.h"
#include "viewer/frmView.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"

namespace tolvarine {
namespace {

class Browse : public test::BrowseWindow {
protected:
    // Patient 123 with visits of 2008/12/01 (one picture), 2009/01/20 (two) and
    // 2009/03/15 (three intraoral, two facial).
    QString makePatient123()
    {
        const QString folder = patient("00123");
        picture(folder, "IMG_0001.jpg", QDate(2008, 12, 1));
        picture(folder, "IMG_0002.jpg", QDate(2009, 1, 20));
        picture(folder, "IMG_0003.jpg", QDate(2009, 1, 20), 40);
        picture(folder, "IMG_0004.jpg", QDate(2009, 3, 15));
        picture(folder, "IMG_0005.jpg", QDate(2009, 3, 15), 40);
        picture(folder, "IMG_0006.jpg", QDate(2009, 3, 15), 80);
        picture(folder + "/face", "F_0001.jpg", QDate(2009, 3, 15));
        picture(folder + "/face", "F_0002.jpg", QDate(2009, 3, 15), 40);
        writePatientName(nameFilePath(folder), QStringLiteral("山田　花子"));
        return folder;
    }

    static void leaveNameBox(frmMain &w)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w.txtKrName, &out);
    }

    static std::vector<frmView *> openViews()
    {
        std::vector<frmView *> views;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *v = qobject_cast<frmView *>(top); v && !v->isHidden())
                views.push_back(v);
        return views;
    }
};

// --- patient number ------------------------------------------------------------

TEST_F(Browse, TypedAndPaddedNumbersListTheSameFolderAgainEachTime)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(entries(w->List1), (QStringList{"2008/12/01", "2009/01/20", "2009/03/15"}));
    EXPECT_EQ(w->txtKrName->text(), QStringLiteral("山田　花子"));

    // The same folder committed again is read again, although the folder list reports
    // no change for it.
    picture(folder, "IMG_0007.jpg", QDate(2009, 4, 1));
    commit(*w, "00123");
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(entries(w->List1), (QStringList{"2008/12/01", "2009/01/20", "2009/03/15", "2009/04/01"}));
    EXPECT_EQ(selected(w->List1), QStringLiteral("2009/04/01"));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Browse, RefusedNumbersSayWhyAndLeaveEverythingAsItWas)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    const std::vector<int> shown = shownOral(*w);
    struct Case {
        const char *typed;
        const char *message;
    };
    for (const Case c : {Case{"123456", "患者番号が不正です"}, Case{"12a", "数値を入力して下さい"},
                         Case{"", "数値を入力して下さい"}}) {
        messages.clear();
        commit(*w, QString::fromUtf8(c.typed));
        ASSERT_EQ(messages.texts(), QStringList{QString::fromUtf8(c.message)}) << c.typed;
        EXPECT_EQ(messages.messages()[0].icon, MessageIcon::None);
        EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.messages()[0].title, QStringLiteral("Tolvarine"));
        EXPECT_EQ(w->Dir1->path(), folder);
        EXPECT_EQ(shownOral(*w), shown);
        EXPECT_EQ(w->List1->count(), 3);
        EXPECT_EQ(w->txtKrName->text(), QStringLiteral("山田　花子"));
    }

    w->appSettings().PictFolda = box.file(QStringLiteral("gone"));
    messages.clear();
    commit(*w, "123");
    EXPECT_EQ(messages.texts(), QStringList{"画像フォルダが見つかりません"});
    EXPECT_EQ(w->List1->count(), 3);
}

TEST_F(Browse, APatientNotFoundEmptiesThePanelsButKeepsTheListedFolder)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    ASSERT_FALSE(shownFace(*w).empty());
    const QString nameFile = w->state().strKrNameFile;

    commit(*w, "99999");
    EXPECT_EQ(messages.texts(), QStringList{"該当患者の画像はありません"});
    EXPECT_EQ(w->txtKrNo->selectedText(), QStringLiteral("99999")); // typing replaces it
    EXPECT_TRUE(shownOral(*w).empty());
    EXPECT_TRUE(shownFace(*w).empty());
    for (ImagingView *v : w->ImgSam)
        EXPECT_EQ(v->control().opBitmapHandle(), 0u);
    for (ImagingView *v : w->ImgFace)
        EXPECT_EQ(v->control().opBitmapHandle(), 0u);
    EXPECT_TRUE(w->txtKrName->text().isEmpty());
    EXPECT_TRUE(w->state().strKrName.isEmpty());
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_EQ(w->ListFaDate->count(), 0);
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(w->state().strKrNameFile, nameFile);
    // Nothing of patient 123's visit is left for printing or the picture menu to take.
    EXPECT_EQ(w->List2->count(), 0);
    EXPECT_TRUE(w->state().List2.isEmpty());
    EXPECT_TRUE(w->state().ListFace.isEmpty());
    EXPECT_TRUE(w->state().strOralDate.isEmpty());
    EXPECT_TRUE(w->funOralFileName(0).isEmpty());

    // A name typed now belongs to no listed patient: patient 123 keeps its own.
    w->txtKrName->setText(QStringLiteral("別人"));
    leaveNameBox(*w);
    EXPECT_EQ(readPatientName(nameFile), QStringLiteral("山田　花子"));
}

// A sheet never carries one patient's pictures under another's number, whatever
// the number box was given since the visit was shown.
TEST_F(Browse, PrintingTakesOnlyThePatientShown)
{
    makePatient123();
    const QString other = patient("00007");
    picture(other, "P7.jpg", QDate(2010, 5, 1));
    const auto w = loadWindow();
    QStringList proposed;
    w->printing().setDialogRunner([&](frmPrint &dialog) { proposed << dialog.txtKrNo->text(); });
    auto print = [&](const char *typed) {
        commit(*w, QString::fromLatin1(typed));
        messages.clear();
        w->mnuFilePrint_Click();
    };

    print("123");
    print("123456"); // refused: the visit of 00123 stays shown, and so does its number
    print("99999");  // not found: nothing is left to print
    EXPECT_EQ(messages.texts(), QStringList{"印刷する画像がありません"});
    print("7");
    EXPECT_EQ(proposed, (QStringList{"00123", "00123", "00007"}));
    EXPECT_EQ(w->state().List2, QStringList{QDir(other).filePath("P7.jpg")});
    EXPECT_TRUE(w->state().ListFace.isEmpty());
}

TEST_F(Browse, TheEnterKeyCommitsAndTypesNothing)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        messages.clear();
        w->txtKrNo->setText(QStringLiteral("456"));
        QTest::keyClick(w->txtKrNo, key);
        EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("456"));
        EXPECT_EQ(messages.texts(), QStringList{"該当患者の画像はありません"});
    }
    w->txtKrNo->clear();
    QTest::keyClicks(w->txtKrNo, QStringLiteral("123"));
    QTest::keyClick(w->txtKrNo, Qt::Key_Return);
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("00123"));
}

TEST_F(Browse, TheNameBoxWritesTheNameFileWhenLeftAndNeverEmptiesIt)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    w->txtKrName->setText(QStringLiteral("山田　太郎"));
    EXPECT_EQ(w->state().strKrName, QStringLiteral("山田　太郎"));
    EXPECT_EQ(readPatientName(nameFilePath(folder)), QStringLiteral("山田　花子")); // not before it is left
    leaveNameBox(*w);
    EXPECT_EQ(readPatientName(nameFilePath(folder)), QStringLiteral("山田　太郎"));

    w->txtKrName->clear();
    EXPECT_TRUE(w->state().strKrName.isEmpty());
    leaveNameBox(*w);
    commit(*w, "123");
    EXPECT_EQ(w->txtKrName->text(), QStringLiteral("山田　太郎"));
}

TEST_F(Browse, WithoutAListedFolderLeavingTheNameBoxWritesNothing)
{
    const auto w = makeWindow(); // not loaded: nothing listed
    w->txtKrName->setText(QStringLiteral("名前"));
    leaveNameBox(*w);
    EXPECT_TRUE(w->state().strKrNameFile.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(nameFilePath(program)));
}

TEST_F(Browse, AMissingOrUnreadableNameFileEmptiesTheBoxAndAnUnreadableOneIsKept)
{
    const QString other = patient("00456");
    picture(other, "a.jpg", QDate(2010, 1, 1));
    const QString third = patient("00789");
    picture(third, "a.jpg", QDate(2010, 1, 1));
    const QByteArray garbled("\x81", 1); // no valid text
    box.write(QStringLiteral("pictures/007/00789/krname.txt"), garbled);
    makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    commit(*w, "789");
    EXPECT_TRUE(w->txtKrName->text().isEmpty());
    w->txtKrName->setText(QStringLiteral("別人"));
    leaveNameBox(*w);
    EXPECT_EQ(test::bytesOf(third + "/krname.txt"), garbled);
    commit(*w, "456");
    EXPECT_TRUE(w->txtKrName->text().isEmpty());
}

// A name shown for one patient never lands in another patient's name file.
TEST_F(Browse, ANameNeverLandsInAnotherPatientsNameFile)
{
    const QString first = makePatient123();
    const QByteArray firstFile = test::bytesOf(nameFilePath(first));
    const QString empty = patient("00456"); // a folder without pictures
    const auto w = loadWindow();
    // Typed before any patient was listed: the picture folder itself is listed.
    w->txtKrName->setText(QStringLiteral("先に入力"));
    leaveNameBox(*w);
    EXPECT_FALSE(QFileInfo::exists(nameFilePath(pictures)));

    commit(*w, "123");
    EXPECT_EQ(w->txtKrName->text(), QStringLiteral("山田　花子"));
    commit(*w, "456");
    EXPECT_TRUE(w->txtKrName->text().isEmpty());
    EXPECT_EQ(w->state().strKrNameFile, nameFilePath(empty));
    leaveNameBox(*w);
    EXPECT_FALSE(QFileInfo::exists(nameFilePath(empty)));
    EXPECT_EQ(test::bytesOf(nameFilePath(first)), firstFile);

    // The empty patient's own name is written where it belongs.
    w->txtKrName->setText(QStringLiteral("佐藤　一郎"));
    leaveNameBox(*w);
    EXPECT_EQ(readPatientName(nameFilePath(empty)), QStringLiteral("佐藤　一郎"));
    EXPECT_EQ(test::bytesOf(nameFilePath(first)), firstFile);
}

TEST_F(Browse, FullWidthDigitsFindThePatient)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    for (const char *typed : {"１２３", "　１２３", "12３"}) {
        ASSERT_TRUE(w->Dir1->setPath(pictures));
        commit(*w, QString::fromUtf8(typed));
        EXPECT_EQ(w->Dir1->path(), folder) << typed;
        EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("00123")) << typed;
    }
    EXPECT_TRUE(messages.texts().isEmpty());
    commit(*w, QStringLiteral("１２a"));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数値を入力して下さい")});
}

TEST_F(Browse, EveryVisitIsListedAndTheNewestShown)
{
    const QString folder = patient("00007");
    for (int i = 0; i < 150; ++i)
        picture(folder, QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QChar('0')), QDate(2000, 1, 1).addDays(i));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(w->List1->count(), 150);
    const QString newest = QDate(2000, 1, 1).addDays(149).toString(QStringLiteral("yyyy/MM/dd"));
    EXPECT_EQ(selected(w->List1), newest);
    EXPECT_EQ(w->state().strOralDate, newest);
    EXPECT_EQ(w->ImgSam[0]->toolTipText(), folder + "/IMG_0149.jpg");
}

// --- listing -------------------------------------------------------------------

TEST_F(Browse, ListsTheVisitsInOrderAndShowsTheLatest)
{
    makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    EXPECT_FALSE(w->List1->isHidden());
    EXPECT_EQ(entries(w->List1), (QStringList{"2008/12/01", "2009/01/20", "2009/03/15"}));
    EXPECT_EQ(selected(w->List1), QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().strNowDate, QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().strOralDate, QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().strFaceDate, QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().intOralCount, 6);
    EXPECT_EQ(w->state().strOralFile.size(), 6);
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(shownFace(*w), (std::vector<int>{0, 1}));
    EXPECT_FALSE(w->ListFaDate->isHidden());
    EXPECT_EQ(entries(w->ListFaDate), QStringList{"2009/03/15"});
    EXPECT_EQ(selected(w->ListFaDate), QStringLiteral("2009/03/15")); // the visit the panel shows
    EXPECT_EQ(w->state().intFaceCount, 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Browse, ChoosingAnotherVisitShowsItsPicturesOnBothPanels)
{
    const QString folder = makePatient123();
    picture(folder + "/face", "F_0003.jpg", QDate(2009, 1, 20));
    const auto w = loadWindow();
    commit(*w, "123");
    userSelects(w->List1, "2009/01/20");
    EXPECT_EQ(w->state().strNowDate, QStringLiteral("2009/01/20"));
    EXPECT_EQ(w->state().strOralDate, QStringLiteral("2009/01/20"));
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1}));
    EXPECT_EQ(w->ImgSam[1]->toolTipText(), folder + "/IMG_0003.jpg");
    EXPECT_EQ(shownFace(*w), (std::vector<int>{0}));
    EXPECT_EQ(w->ImgFace[0]->toolTipText(), folder + "/face/F_0003.jpg");
    EXPECT_EQ(selected(w->ListFaDate), QStringLiteral("2009/01/20"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    userSelects(w->ListFaDate, "2009/03/15");
    EXPECT_EQ(shownFace(*w), (std::vector<int>{0, 1}));
    EXPECT_EQ(w->state().strFaceDate, QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().strOralDate, QStringLiteral("2009/01/20"));
    EXPECT_EQ(w->state().strNowDate, QStringLiteral("2009/03/15"));
}

TEST_F(Browse, ADateWithoutFacialPicturesHidesThatPanelAndKeepsItsListAsItWas)
{
    makePatient123();
    const auto w = loadWindow();
    commit(*w, "123");
    userSelects(w->ListFaDate, "2009/03/15");
    userSelects(w->List1, "2009/01/20");
    EXPECT_TRUE(shownFace(*w).empty());
    EXPECT_NE(w->ImgFace[0]->control().opBitmapHandle(), 0u); // hidden, not dropped
    EXPECT_EQ(selected(w->ListFaDate), QStringLiteral("2009/03/15"));
    EXPECT_EQ(w->state().strFaceDate, QStringLiteral("2009/01/20"));
    EXPECT_EQ(w->ListFace->count(), 0);
}

TEST_F(Browse, SeveralPicturesOfADayMakeOneEntry)
{
    const QString folder = patient("00007");
    for (int i = 0; i < 5; ++i)
        picture(folder, QStringLiteral("p%1.jpg").arg(i), QDate(2010, 6, 7), i * 60);
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(entries(w->List1), QStringList{"2010/06/07"});
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(Browse, AFolderWithoutPicturesHidesTheListAndEveryThumbnail)
{
    makePatient123();
    const QString faceOnly = patient("00456");
    picture(faceOnly + "/face", "F.jpg", QDate(2010, 1, 1));
    const auto w = loadWindow();
    commit(*w, "123");
    ASSERT_FALSE(shownOral(*w).empty());
    ASSERT_TRUE(w->Dir1->setPath(faceOnly));
    EXPECT_TRUE(w->List1->isHidden());
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_TRUE(shownOral(*w).empty());
    EXPECT_TRUE(shownFace(*w).empty());
    EXPECT_NE(w->ImgSam[0]->control().opBitmapHandle(), 0u); // hidden, not dropped
    EXPECT_EQ(w->ListFaDate->count(), 0);
    EXPECT_TRUE(w->state().strOralDate.isEmpty());
    EXPECT_TRUE(w->state().strFaceDate.isEmpty());
    EXPECT_TRUE(w->txtKrName->text().isEmpty()); // the folder listed has no name file
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("00123"));
    EXPECT_EQ(w->state().strKrNameFile, nameFilePath(faceOnly));
}

TEST_F(Browse, APatientWithoutAFaceFolderShowsAnEmptyVisibleFacialList)
{
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_FALSE(w->ListFaDate->isHidden());
    EXPECT_EQ(w->ListFaDate->count(), 0);
    EXPECT_TRUE(shownFace(*w).empty());
}

TEST_F(Browse, TheFaceFolderIsFoundWhateverItsCase)
{
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    picture(folder + "/FACE", "B.JPG", QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(entries(w->ListFaDate), QStringList{"2010/06/07"});
    EXPECT_EQ(shownFace(*w), (std::vector<int>{0}));
}

class BrowseLimit : public Browse, public ::testing::WithParamInterface<int> {};

TEST_P(BrowseLimit, AFolderOverTheLimitSaysSoOnceAfterTheLastPicture)
{
    const int count = GetParam();
    const QString folder = patient("00123");
    for (int i = 0; i < count; ++i)
        test::touchPicture(folder + QStringLiteral("/p%1.jpg").arg(i, 4, 10, QChar('0')),
                           QDateTime(QDate(2009, 1, 1), QTime(9, 0)).addSecs(i));
    const auto w = loadWindow();
    commit(*w, "123");
    EXPECT_EQ(w->state().intOralCount, std::min(count, 1201));
    EXPECT_EQ(
        messages.texts(),
        count > 1200
            ? QStringList{"画像が規定枚数を超えました、\r\nサブフォルダを作って古い画像を移動して下さい"}
            : QStringList{});
    EXPECT_EQ(entries(w->List1), QStringList{"2009/01/01"});
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

INSTANTIATE_TEST_SUITE_P(Counts, BrowseLimit, ::testing::Values(1200, 1201),
                         test::namedBy([](int count) { return QStringLiteral("%1pictures").arg(count); }));

TEST_F(Browse, TheFolderNumberGoesIntoTheNumberBox)
{
    const QString numbered = QDir::cleanPath(box.mkdir("pictures/123/00456"));
    picture(numbered, "a.jpg", QDate(2010, 1, 1));
    const QString photos = QDir::cleanPath(box.mkdir("pictures/Photos"));
    picture(photos, "a.jpg", QDate(2010, 1, 1));
    const auto w = loadWindow();
    w->txtKrNo->setText(QStringLiteral("typed"));
    ASSERT_TRUE(w->Dir1->setPath(photos));
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("typed"));
    ASSERT_TRUE(w->Dir1->setPath(numbered));
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("00456"));
}

TEST_F(Browse, WithFileHizukeZeroTheExifDateNamesTheVisit)
{
    setSetting(QStringLiteral("FileHizuke"), QStringLiteral("0"));
    const QString folder = patient("00007");
    test::writeExifPicture(folder + "/a.jpg", "2009:05:12 14:03:27",
                           QDateTime(QDate(2011, 1, 1), QTime(9, 0)));
    test::writePicture(folder + "/b.jpg", QDate(2011, 2, 2)); // no Exif: its file date
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(entries(w->List1), (QStringList{"2009/05/12", "2011/02/02"}));
}

TEST_F(Browse, ChoosingADriveMovesTheFolderListAndAnUnreadableOneFallsBack)
{
    const QString drive = QDir::cleanPath(box.mkdir("drive2"));
    const QString gone = box.file("gone-drive");
    auto w = makeWindow();
    w->Drive1->setVolumeSource([=] { return QStringList{"/", box.path(), drive, gone}; });
    w->Form_Load();
    // The load points the drive list at the picture folder's drive and stays there.
    EXPECT_EQ(w->Drive1->drive(), box.path());
    EXPECT_EQ(w->Dir1->path(), pictures);

    w->Drive1->setCurrentIndex(w->Drive1->findData(drive));
    EXPECT_EQ(w->Dir1->path(), drive);
    w->Drive1->setCurrentIndex(w->Drive1->findData(gone));
    EXPECT_EQ(w->Dir1->path(), drive);
    EXPECT_EQ(w->Drive1->drive(), drive);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// --- panels --------------------------------------------------------------------

TEST_F(Browse, NinePicturesShowTheFirstSevenInPathOrder)
{
    const QString folder = patient("00007");
    QStringList paths;
    for (const char *name : {"i.jpg", "B.jpg", "a.jpg", "h.jpg", "C.jpg", "e.jpg", "g.jpg", "d.jpg", "F.jpg"})
        paths << picture(folder, QString::fromLatin1(name), QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(shownOral(*w), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    const QStringList inOrder{"a", "B", "C", "d", "e", "F", "g"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w->ImgSam[size_t(i)]->toolTipText(), folder + "/" + inOrder[i] + ".jpg");
    QStringList all;
    for (const char *name : {"a", "B", "C", "d", "e", "F", "g", "h", "i"})
        all << folder + "/" + QString::fromLatin1(name) + ".jpg";
    EXPECT_EQ(entries(w->List2), all); // a sorted list, but in store order
    EXPECT_TRUE(w->List2->isSortingEnabled());
    EXPECT_EQ(w->funOralFileName(6), folder + "/g.jpg");
}

TEST_F(Browse, TheShootingOrderPlacesAndFindsThePictures)
{
    setSetting(QStringLiteral("Jyunban"), QStringLiteral("6543210"));
    const QString folder = patient("00007");
    for (int i = 0; i < 3; ++i)
        picture(folder, QStringLiteral("p%1.jpg").arg(i), QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(shownOral(*w), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(w->ImgSam[6]->toolTipText(), folder + "/p0.jpg");
    EXPECT_EQ(w->funOralFileName(6), folder + "/p0.jpg");
    EXPECT_EQ(w->funOralFileName(4), folder + "/p2.jpg");
    EXPECT_TRUE(w->funOralFileName(0).isEmpty()); // no picture there
    EXPECT_TRUE(w->funOralFileName(7).isEmpty());
    EXPECT_TRUE(w->funFaceFileName(0).isEmpty());
}

TEST_F(Browse, TheFirstDisplayWritesTheThumbnailAndTheNextShowsIt)
{
    const QString folder = patient("00007");
    const QString a = picture(folder, "a.jpg", QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    const QString thumbnail = folder + "/asn.cmp";
    ASSERT_TRUE(QFileInfo::exists(thumbnail));
    const QImage made = test::decoded(thumbnail);
    EXPECT_EQ(made.size(), QSize(195, 146));

    // Garbage in place of the picture: what is shown now can only come from the thumbnail.
    box.write("pictures/000/00007/a.jpg", "no longer a picture");
    commit(*w, "7");
    EXPECT_EQ(w->ImgSam[0]->control().image().convertToFormat(QImage::Format_RGB32), made);
    EXPECT_EQ(w->ImgSam[0]->toolTipText(), a);
}

TEST_F(Browse, AThumbnailFollowsThePositionItsPictureStandsAt)
{
    // Position 0 is shown as taken, position 1 upside down, position 2 mirrored.
    setSetting(QStringLiteral("PictSyori1"), QStringLiteral("1"));
    setSetting(QStringLiteral("PictSyori2"), QStringLiteral("2"));
    const QString folder = patient("00007");
    picture(folder, "b.jpg", QDate(2010, 6, 7));
    picture(folder, "c.jpg", QDate(2010, 6, 7), 30);
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(test::cornerColours(w->ImgSam[0]->control().image()), QStringLiteral("rgbw"));
    EXPECT_EQ(test::cornerColours(w->ImgSam[1]->control().image()), QStringLiteral("wbgr"));

    // A picture with an earlier name joins the visit: b and c move one position on.
    picture(folder, "a.jpg", QDate(2010, 6, 7), 60);
    commit(*w, "7");
    const char *expected[] = {"rgbw", "wbgr", "grwb"};
    for (int position = 0; position < 3; ++position) {
        EXPECT_EQ(test::cornerColours(w->ImgSam[size_t(position)]->control().image()),
                  QString::fromLatin1(expected[position]))
            << position;
    }
    EXPECT_EQ(test::cornerColours(test::decoded(folder + "/csn.cmp")), QStringLiteral("grwb"));

    // A changed setting is followed as well.
    w->appSettings().PictSyori[1] = 0;
    commit(*w, "7");
    EXPECT_EQ(test::cornerColours(w->ImgSam[1]->control().image()), QStringLiteral("rgbw"));
}

TEST_F(Browse, AFacialPositionTurnedAQuarterIs195High)
{
    setSetting(QStringLiteral("FacePictSyori1"), QStringLiteral("4"));
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    picture(folder + "/face", "f0.jpg", QDate(2010, 6, 7));
    picture(folder + "/face", "f1.jpg", QDate(2010, 6, 7));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(w->ImgFace[0]->control().image().size(), QSize(195, 146));
    EXPECT_EQ(w->ImgFace[1]->control().image().size(), QSize(146, 195));
    EXPECT_EQ(test::decoded(folder + "/face/f1sn.cmp").size(), QSize(146, 195));
}

TEST_F(Browse, AnUndecodableThumbnailIsReplacedByAGoodOne)
{
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    const QString thumbnail = box.write("pictures/000/00007/asn.cmp", "a thumbnail of another program");
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(w->ImgSam[0]->control().image().size(), QSize(195, 146));
    EXPECT_EQ(test::decoded(thumbnail).size(), QSize(195, 146));
}

TEST_F(Browse, ARightClickOnAFacialThumbnailOpensTheMenuForItsPicture)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    w->show();
    commit(*w, "123");
    QTest::mouseClick(w->ImgFace[1], Qt::LeftButton);
    for (frmView *v : openViews())
        v->close();
    EXPECT_TRUE(w->state().strPopupFile.isEmpty()); // the left button opens no menu
    QTest::mouseClick(w->ImgFace[1], Qt::RightButton);
    EXPECT_EQ(w->state().strPopupFile, folder + "/face/F_0002.jpg");
    EXPECT_TRUE(w->mnuPict->isVisible());
    w->mnuPict->hide();
    QTest::mouseClick(w->ImgSam[2], Qt::MiddleButton, Qt::ShiftModifier);
    EXPECT_EQ(w->state().strPopupFile, folder + "/IMG_0006.jpg");
    w->mnuPict->hide();
}

TEST_F(Browse, TheThumbnailsCanBeWorkedByKeyboard)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    commit(*w, "123");
    w->ImgSam[2]->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(w->ImgSam[2]->hasFocus());
    QTest::keyClick(w->ImgSam[2], Qt::Key_Left); // nothing shown further left
    EXPECT_TRUE(w->ImgSam[2]->hasFocus());
    QTest::keyClick(w->ImgSam[2], Qt::Key_Right);
    ASSERT_TRUE(w->ImgSam[1]->hasFocus());

    QTest::keyClick(w->ImgSam[1], Qt::Key_Return);
    const std::vector<frmView *> views = openViews();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views.front()->strViewFile, folder + "/IMG_0005.jpg");
    QTest::keyClick(views.front(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(openViews().empty());

    QTest::keyClick(w->ImgFace[0], Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(w->state().strPopupFile, folder + "/face/F_0001.jpg");
    EXPECT_TRUE(w->mnuPict->isVisible());
    w->mnuPict->hide();
}

TEST_F(Browse, AClickOpensAFurtherViewWindowEachTime)
{
    const QString folder = makePatient123();
    const auto w = loadWindow();
    w->show();
    commit(*w, "123");
    QTest::mouseClick(w->ImgSam[1], Qt::LeftButton);
    QTest::mouseClick(w->ImgSam[1], Qt::LeftButton);
    QTest::mouseClick(w->ImgFace[0], Qt::LeftButton);
    std::vector<frmView *> views = openViews();
    ASSERT_EQ(views.size(), 3u);
    int oral = 0, facial = 0;
    for (frmView *v : views) {
        if (v->blnFaceMode) {
            ++facial;
            EXPECT_EQ(v->strViewFile, folder + "/face/F_0001.jpg");
            EXPECT_EQ(v->intViewPos, 0);
        } else {
            ++oral;
            EXPECT_EQ(v->strViewFile, folder + "/IMG_0005.jpg");
            EXPECT_EQ(v->windowTitle(),
                      folder.mid(w->appSettings().PictFolda.size()) + "/IMG_0005.jpg - 2009/03/15 - View");
            EXPECT_EQ(v->intViewPos, 1);
        }
        EXPECT_FALSE(v->isModal());
    }
    EXPECT_EQ(oral, 2);
    EXPECT_EQ(facial, 1);
    QPointer<frmView> first = views.front();
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    for (frmView *v : openViews())
        v->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Browse, AReadOnlyThumbnailThatCannotBeDecodedIsShownFromThePictureAndKept)
{
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    const QByteArray foreign("a read-only thumbnail of another program");
    const QString thumbnail = box.write("pictures/000/00007/asn.cmp", foreign);
    ASSERT_TRUE(QFile::setPermissions(thumbnail, QFileDevice::ReadOwner));
    const auto w = loadWindow();
    commit(*w, "7");
    EXPECT_EQ(w->ImgSam[0]->control().image().size(), QSize(195, 146));
    QFile f(thumbnail);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), foreign);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace tolvarine
