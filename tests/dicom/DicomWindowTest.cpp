#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QThread>

#include "DicomTestData.h"
#include "dicom/DicomController.h"
#include "dicom/frmDicomSettings.h"
#include "support/StoreTestData.h"

namespace tolvarine {
namespace {

class DicomSettingsDialog : public ::testing::Test {
protected:
    test::Sandbox box;
    std::unique_ptr<QSettings> store = box.settings();
    AppSettings settings;
    test::MessageRecorder messages;
};

// What is chosen is stored as rows of the settings and read back at the next start.
TEST_F(DicomSettingsDialog, OkStoresEveryPositionsViewMirrorAndTheArchive)
{
    settings.Dicom.FaceView[4] = QStringLiteral("EV-08");
    frmDicomSettings dialog(nullptr, *store, settings);
    EXPECT_EQ(dialog.cboFaceView[4]->currentData().toString(), QStringLiteral("EV-08"));
    EXPECT_EQ(dialog.cboOralView[6]->currentText(), QStringLiteral("なし"));
    dialog.cboOralView[3]->setCurrentIndex(dialog.cboOralView[3]->findData(QStringLiteral("IV-24")));
    dialog.chkOralMirror[3]->setChecked(true);
    dialog.cboFaceView[4]->setCurrentIndex(0);
    dialog.txtHost->setText(QStringLiteral("pacs.local"));
    dialog.txtPort->setText(QStringLiteral("11112"));
    dialog.txtCalledAE->setText(QStringLiteral("PACS"));
    dialog.cmdOK_Click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.messages().empty());
    for (const DicomSettings &d : {settings.Dicom, loadAppSettings(*store, box.path()).Dicom}) {
        EXPECT_EQ(d.OralView[3], QStringLiteral("IV-24"));
        EXPECT_EQ(d.OralMirror[3], 1);
        EXPECT_EQ(d.FaceView[4], QString());
        EXPECT_EQ(d.Host, QStringLiteral("pacs.local"));
        EXPECT_EQ(d.Port, 11112);
        EXPECT_EQ(d.CalledAE, QStringLiteral("PACS"));
        EXPECT_EQ(d.CallingAE, QStringLiteral("TOLVARINE"));
    }
}

struct NodeEntry {
    const char *name;
    const char *port;
    const char *calledAe;
    const char *message;
};

class DicomSettingsRefusal : public DicomSettingsDialog, public ::testing::WithParamInterface<NodeEntry> {};

TEST_P(DicomSettingsRefusal, TellsWhatIsWrongAndStoresNothing)
{
    frmDicomSettings dialog(nullptr, *store, settings);
    dialog.txtHost->setText(QStringLiteral("pacs.local"));
    dialog.txtPort->setText(QString::fromLatin1(GetParam().port));
    dialog.txtCalledAE->setText(QString::fromLatin1(GetParam().calledAe));
    dialog.chkOralMirror[0]->setChecked(true);
    dialog.cmdOK_Click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(messages.texts(), QStringList{QString::fromUtf8(GetParam().message)});
    EXPECT_EQ(settings.Dicom.OralMirror[0], 0);
    EXPECT_TRUE(store->allKeys().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Entries, DicomSettingsRefusal,
                         ::testing::Values(NodeEntry{"port 0", "0", "PACS",
                                                     "ポート番号は 1 から 65535 の数字で指定して下さい"},
                                           NodeEntry{"no archive AE title", "104", "",
                                                     "AEタイトルは 16 文字以内の半角英数字で指定して下さい"},
                                           NodeEntry{"a backslash in the AE title", "104", "PA\\CS",
                                                     "AEタイトルは 16 文字以内の半角英数字で指定して下さい"}),
                         test::namedBy([](const NodeEntry &e) { return e.name; }));

// The menu entries on the shown visit, with the folder dialog and the progress window
// replaced: the job runs at once.
class DicomMenu : public ::testing::Test {
protected:
    DicomMenu()
    {
        browse.List2 = store.oral;
        browse.ListFace = store.face;
        browse.strOralDate = browse.strFaceDate = store.visitDate();
        shell.ClinicName = QStringLiteral("テスト歯科");
        controller.setFolderChooser([this](QWidget *, const QString &) { return chosen; });
        controller.setJobRunner([this](const QString &, int total, const DicomController::Job &job) {
            ++jobs;
            return job([total](int, int of, const QString &) { return of == total; });
        });
    }

    test::Sandbox box;
    test::VisitStore store{box};
    std::unique_ptr<QSettings> settingsStore = box.settings();
    ShellState shell;
    BrowseState browse;
    QString chosen = box.mkdir(QStringLiteral("out"));
    int jobs = 0;
    DicomController controller{DicomContext{nullptr, nullptr, nullptr, nullptr,
                                            [this] { return store.patient; }, store.settings, shell, browse,
                                            [this]() -> QSettings & { return *settingsStore; }}};
};

TEST_F(DicomMenu, ExportWritesTheShownVisitAndSaysSo)
{
    test::MessageRecorder messages;
    controller.mnuFileDicomExport_Click();
    EXPECT_EQ(jobs, 1);
    EXPECT_EQ(test::dicomDirFiles(QDir(chosen).filePath(QStringLiteral("DICOMDIR"))).size(), 12);
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(
        messages.texts().first().startsWith(QStringLiteral("DICOM出力が終わりました: 12 枚を書き込みました")))
        << messages.texts().first().toStdString();
    // The folder is offered again next time.
    EXPECT_EQ(loadAppSettings(*settingsStore, box.path()).Dicom.Folder, chosen);
}

TEST_F(DicomMenu, AsksBeforeAddingToAFoldersDicomDirAndLeavesItWhenTheAnswerIsNo)
{
    box.write(QStringLiteral("out/DICOMDIR"), "another file-set");
    test::MessageRecorder messages(MessageAnswer::No);
    controller.mnuFileDicomExport_Click();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages().front().buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.messages().front().defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(jobs, 0);
    EXPECT_EQ(test::filesBelow(chosen), QStringList{QStringLiteral("DICOMDIR")});
}

TEST_F(DicomMenu, SaysWhenThereIsNothingToGoOrNowhereToSend)
{
    test::MessageRecorder messages;
    controller.mnuFileDicomSend_Click();
    EXPECT_TRUE(messages.texts().value(0).startsWith(QStringLiteral("DICOMの送信先が設定されていません")));
    browse.strOralDate.clear();
    browse.strFaceDate.clear();
    messages.clear();
    controller.mnuFileDicomExport_Click();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("出力する画像がありません")});
    EXPECT_EQ(jobs, 0);
}

TEST(DicomProgressWindow, RunsTheJobApartAndHandsBackItsResult)
{
    const QThread *window = QThread::currentThread();
    const QThread *ranOn = nullptr;
    int told = 0;
    const DicomSummary summary =
        runWithProgress(nullptr, QStringLiteral("DICOM出力"), 3, [&](const DicomProgress &progress) {
            ranOn = QThread::currentThread();
            DicomSummary s;
            for (int i = 1; i <= 3; ++i)
                told += progress(i, 3, QStringLiteral("p%1.jpg").arg(i)) ? 1 : 0;
            s.done = 3;
            return s;
        });
    EXPECT_EQ(summary.done, 3);
    EXPECT_EQ(told, 3);
    EXPECT_NE(ranOn, window);
}

} // namespace
} // namespace tolvarine
