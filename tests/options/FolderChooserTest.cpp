#include <functional>
#include <memory>

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

#include "options/frmOption.h"
#include "options/frmPictFolda.h"
#include "platform/Twips.h"
#include "support/TestSupport.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"

namespace tolvarine {
namespace {

class FolderChooser : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = QDir::cleanPath(box.mkdir("program"));
        settings.PictFolda = QDir::cleanPath(box.mkdir("pictures"));
        settings.PictReadFolda = QDir::cleanPath(box.mkdir("import"));
        other = QDir::cleanPath(box.mkdir("other/inner"));
    }

    // Opens the options dialog, then the chooser from one of its buttons, and lets
    // act work the chooser.
    std::unique_ptr<frmOption> choose(bool pictureFolder, const std::function<void(frmPictFolda &)> &act)
    {
        auto d = std::make_unique<frmOption>(nullptr, settings, *store, QString(), program);
        d->setChooserRunner([this, act](frmPictFolda &chooser) {
            opened = chooser.Dir1->path();
            act(chooser);
        });
        (pictureFolder ? d->cmdPictFolda : d->cmdPictReadFolda)->click();
        return d;
    }

    test::Sandbox box;
    std::unique_ptr<QSettings> store = box.settings();
    AppSettings settings;
    test::MessageRecorder messages;
    QString program;
    QString other;
    QString opened; // where the chooser opened
};

TEST_F(FolderChooser, OpensAtTheFolderOfItsModeWithItsControlsInPlace)
{
    AppSettings before = settings;
    const auto d = choose(false, [&](frmPictFolda &c) {
        EXPECT_EQ(c.windowTitle(), QStringLiteral("画像フォルダ"));
        EXPECT_EQ(c.size(), twipsToPixels(QSize(3990, 3225), c.logicalDpiX()));
        EXPECT_EQ(c.Dir1->geometry(), twipsToPixels(QRect(240, 720, 2412, 2316), c.logicalDpiX()));
        EXPECT_EQ(c.cmdOK->text(), QStringLiteral("O K"));
        EXPECT_EQ(c.cmdCancel->text(), QStringLiteral("キャンセル"));
        EXPECT_EQ(c.Drive1->drive(),
                  DriveList::rootHolding(DriveList::readyVolumeRoots(), before.PictReadFolda));
    });
    EXPECT_EQ(opened, before.PictReadFolda);
    // The field of the settings, not the text the dialog shows, is where it opens.
    d->txtPictFolda->setText(other);
    d->cmdPictFolda->click();
    EXPECT_EQ(opened, before.PictFolda);
}

struct OutcomeCase {
    const char *name;
    bool pictureFolder;
    bool openOther;      // open another folder in the list
    bool highlightInner; // then only highlight its subfolder
    bool ok;
};

class ChooserOutcome : public FolderChooser, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(ChooserOutcome, OkTakesTheOpenFolderIntoTheRunAndTheBoxCancelWritesNothing)
{
    const OutcomeCase &c = GetParam();
    const AppSettings before = settings;
    const auto d = choose(c.pictureFolder, [&](frmPictFolda &chooser) {
        if (c.openOther)
            chooser.Dir1->setPath(box.file("other"));
        if (c.highlightInner) {
            const auto inner = chooser.Dir1->findItems("inner", Qt::MatchExactly);
            ASSERT_EQ(inner.size(), 1);
            chooser.Dir1->setCurrentItem(inner.first());
        }
        (c.ok ? chooser.cmdOK : chooser.cmdCancel)->click();
    });
    const QString expected = c.ok && c.openOther ? QDir::cleanPath(box.file("other")) : QString();
    const QString &field = c.pictureFolder ? settings.PictFolda : settings.PictReadFolda;
    const QString &was = c.pictureFolder ? before.PictFolda : before.PictReadFolda;
    EXPECT_EQ(field, expected.isEmpty() ? was : expected);
    EXPECT_EQ((c.pictureFolder ? d->txtPictFolda : d->txtPictReadFolda)->text(), field);
    // The other folder is untouched, and nothing reaches the store.
    EXPECT_EQ(c.pictureFolder ? settings.PictReadFolda : settings.PictFolda,
              c.pictureFolder ? before.PictReadFolda : before.PictFolda);
    EXPECT_TRUE(store->allKeys().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Choices, ChooserOutcome,
                         ::testing::Values(OutcomeCase{"PictureFolderOk", true, true, false, true},
                                           OutcomeCase{"ImportFolderOk", false, true, false, true},
                                           OutcomeCase{"HighlightedIsNotChosen", true, true, true, true},
                                           OutcomeCase{"NothingOpenedOkKeepsIt", false, false, false, true},
                                           OutcomeCase{"CancelWritesNothing", true, true, false, false}),
                         [](const ::testing::TestParamInfo<OutcomeCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(FolderChooser, AStoredFolderThatIsGoneOpensAtTheProgramsFolderSilently)
{
    settings.PictFolda = box.file("removed drive/pictures");
    choose(true, [](frmPictFolda &c) { c.cmdCancel->click(); });
    EXPECT_EQ(opened, program);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(FolderChooser, ADriveThatCannotBeListedReturnsToTheDriveShown)
{
    const QString drive = QDir::cleanPath(box.mkdir("drive2"));
    const QString empty = box.file("empty-card"); // listed, but nothing to read there
    choose(true, [&](frmPictFolda &c) {
        c.Drive1->setVolumeSource([&] { return QStringList{"/", box.path(), drive, empty}; });
        c.Drive1->setDrive(c.Dir1->path());
        ASSERT_EQ(c.Drive1->drive(), box.path());
        ASSERT_EQ(c.Dir1->path(), settings.PictFolda);

        c.Drive1->setCurrentIndex(c.Drive1->findData(drive));
        EXPECT_EQ(c.Dir1->path(), drive);
        c.Drive1->setCurrentIndex(c.Drive1->findData(empty));
        EXPECT_EQ(c.Dir1->path(), drive);
        EXPECT_EQ(c.Drive1->drive(), drive);
        c.cmdOK->click();
    });
    EXPECT_EQ(settings.PictFolda, drive);
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
} // namespace tolvarine
