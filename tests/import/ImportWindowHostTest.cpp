#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>

#include "import/DropList.h"
#include "import/ImportWindowHost.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

// A stand-in for the main window with the parts an import touches.
class ImportWindowHostTest : public ::testing::Test {
protected:
    ImportWindowHostTest()
        : pict(box.mkdir("pict")), current(box.mkdir("pict/shown")), mnuFile(main.menuBar()->addMenu("File")),
          mnuEdit(main.menuBar()->addMenu("Edit")), mnuPict(new QMenu(&main)), List3(new DropList(&main)),
          host({&main,
                {mnuFile, mnuEdit, mnuPict},
                {&Drive1, &Dir1, &List1, &txtKrNo, &txtKrName},
                List3,
                [this] { return current; },
                [this](const QString &folder) { refreshed << folder; }},
               importer.progressState())
    {
        for (QWidget *w :
             {static_cast<QWidget *>(&Drive1), static_cast<QWidget *>(&Dir1), static_cast<QWidget *>(&List1),
              static_cast<QWidget *>(&txtKrNo), static_cast<QWidget *>(&txtKrName)})
            w->setParent(&main);
        main.show();
    }

    QStringList files(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << box.write(QStringLiteral("card/p%1.jpg").arg(i), QByteArray::number(i));
        return paths;
    }

    bool controlsEnabled() const
    {
        return mnuFile->menuAction()->isEnabled() && mnuEdit->menuAction()->isEnabled()
               && mnuPict->isEnabled() && Drive1.isEnabled() && Dir1.isEnabled() && List1.isEnabled()
               && txtKrNo.isEnabled() && txtKrName.isEnabled();
    }

    bool controlsDisabled() const
    {
        return !mnuFile->menuAction()->isEnabled() && !mnuEdit->menuAction()->isEnabled()
               && !mnuPict->isEnabled() && !Drive1.isEnabled() && !Dir1.isEnabled() && !List1.isEnabled()
               && !txtKrNo.isEnabled() && !txtKrName.isEnabled();
    }

    // Lets the test look at the window in the middle of the copying.
    void onProgress(std::function<void(int16_t)> look)
    {
        ImportHost h = host.host();
        h.progress = std::move(look);
        importer.setHost(h);
    }

    test::Sandbox box;
    QString pict;
    QString current;
    QStringList refreshed;
    QMainWindow main;
    QMenu *mnuFile;
    QMenu *mnuEdit;
    QMenu *mnuPict;
    QListWidget Drive1, Dir1, List1;
    QLineEdit txtKrNo, txtKrName;
    DropList *List3;
    DropImport importer;
    ImportWindowHost host;
};

TEST_F(ImportWindowHostTest, BusyWhileCopyingAndBalancedAfterwards)
{
    int looked = 0;
    QPointer<frmPrinting> printing;
    onProgress([&](int16_t pos) {
        if (pos != 0)
            return;
        ++looked;
        EXPECT_TRUE(controlsDisabled());
        EXPECT_TRUE(List3->isHidden());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        printing = host.printing();
        ASSERT_FALSE(printing.isNull());
        EXPECT_TRUE(printing->isVisible());
        EXPECT_EQ(printing->ProgressBar1->maximum(), 2);
    });
    const ImportResult r = importer.run({files(3), "12", true, pict});

    EXPECT_EQ(looked, 1);
    EXPECT_EQ(r.imported.size(), 3);
    EXPECT_TRUE(controlsEnabled());
    EXPECT_TRUE(List3->isVisible());
    EXPECT_EQ(List3->count(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(host.printing(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return printing.isNull(); }, 5000));
    EXPECT_EQ(refreshed, QStringList({pict + "/000/00012"}));
}

TEST_F(ImportWindowHostTest, WithoutANumberTheWindowStaysUsableAndShowsTheFiles)
{
    test::MessageRecorder messages(MessageAnswer::Yes);
    const QStringList dropped = files(2);
    int looked = 0;
    onProgress([&](int16_t pos) {
        if (pos != 0)
            return;
        ++looked;
        EXPECT_TRUE(controlsEnabled());
        EXPECT_TRUE(List3->isVisible());
        ASSERT_EQ(List3->count(), 2);
        EXPECT_EQ(List3->item(1)->text(), dropped[1]);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(host.printing(), nullptr);
    });
    importer.run({dropped, "", true, pict});

    EXPECT_EQ(looked, 1);
    EXPECT_EQ(List3->count(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(refreshed, QStringList({current}));
}

TEST_F(ImportWindowHostTest, RefusedDropLeavesTheWindowAsItWas)
{
    test::MessageRecorder messages;
    List3->addItems({"ここに画像ファイルを", "ドロップして下さい"});
    importer.setHost(host.host());
    importer.run({files(1), "12a", true, pict});
    EXPECT_TRUE(controlsEnabled());
    EXPECT_EQ(List3->count(), 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(refreshed.isEmpty());
}

} // namespace
