#include <gtest/gtest.h>

#include <QMimeData>
#include <QUrl>

#include "import/DropArea.h"
#include "import/ImportController.h"
#include "support/TestSupport.h"

using namespace tolvarine;

namespace {

std::unique_ptr<QMimeData> urlData(const QList<QUrl> &urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

TEST(DropArea, FileListsAreAcceptedInTheirOrder)
{
    const auto data = urlData({QUrl::fromLocalFile("/card/b.jpg"), QUrl::fromLocalFile("/card/A.jpg"),
                               QUrl::fromLocalFile("/card/写真 1.jpg")});
    EXPECT_TRUE(acceptsFileDrop(data.get()));
    EXPECT_EQ(droppedFilePaths(data.get()), QStringList({"/card/b.jpg", "/card/A.jpg", "/card/写真 1.jpg"}));
}

TEST(DropArea, AnythingElseIsRefused)
{
    QMimeData text;
    text.setText("/card/a.jpg");
    EXPECT_FALSE(acceptsFileDrop(&text));
    EXPECT_TRUE(droppedFilePaths(&text).isEmpty());

    QMimeData image;
    image.setImageData(test::makeGradientImage(4, 4));
    EXPECT_FALSE(acceptsFileDrop(&image));

    EXPECT_FALSE(acceptsFileDrop(urlData({QUrl("https://example.org/a.jpg")}).get()));
    // one remote entry spoils the whole list
    EXPECT_FALSE(acceptsFileDrop(urlData({QUrl::fromLocalFile("/a.jpg"), QUrl("sftp://host/b.jpg")}).get()));
    EXPECT_FALSE(acceptsFileDrop(urlData({}).get()));
    EXPECT_FALSE(acceptsFileDrop(nullptr));
}

struct TextsCase {
    bool oral;
    int16_t tips;
    const char *label;
    QStringList lines;
};

class DropAreaTextsTest : public ::testing::TestWithParam<TextsCase> {};

TEST_P(DropAreaTextsTest, NameTheTarget)
{
    const TextsCase &c = GetParam();
    const DropAreaTexts texts = dropAreaTexts(c.oral, c.tips);
    EXPECT_EQ(texts.label, QString::fromUtf8(c.label));
    EXPECT_EQ(texts.lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DropAreaTextsTest,
    ::testing::Values(TextsCase{true, 1, "口腔", {"ここに口腔画像ファイルを", "ドロップして下さい"}},
                      TextsCase{false, 1, "顔面", {"ここに顔面画像ファイルを", "ドロップして下さい"}},
                      TextsCase{true, 0, "口腔", {}}, TextsCase{false, 0, "顔面", {}},
                      TextsCase{false, 2, "顔面", {}}),
    test::namedBy([](const TextsCase &c) {
        return QStringLiteral("%1_tips%2").arg(c.oral ? "oral" : "face").arg(c.tips);
    }));

TEST(FileBrowser, StartsTheOpenerOnTheImportFolderWithOneArgument)
{
    test::MessageRecorder messages;
    QString program;
    QStringList arguments;
    const bool ok =
        openFileBrowser("/usr/bin", "/media/card dir/DCIM", [&](const QString &p, const QStringList &a) {
            program = p;
            arguments = a;
            return true;
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(program, "/usr/bin/xdg-open");
    EXPECT_EQ(arguments, QStringList({"/media/card dir/DCIM"}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST(FileBrowser, FailureToStartIsReported)
{
    test::MessageRecorder messages;
    EXPECT_FALSE(
        openFileBrowser("/usr/bin", "/x", [](const QString &, const QStringList &) { return false; }));
    // without an opener's folder nothing is started at all
    bool started = false;
    EXPECT_FALSE(
        openFileBrowser("", "/x", [&](const QString &, const QStringList &) { return started = true; }));
    EXPECT_FALSE(started);
    // the real starter, on a program that is not there
    test::Sandbox box;
    EXPECT_FALSE(openFileBrowser(box.file("no-such-folder"), "/x"));
    EXPECT_EQ(messages.texts(), QStringList({"Exeファイルが見つかりません", "Exeファイルが見つかりません",
                                             "Exeファイルが見つかりません"}));
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
}

} // namespace
