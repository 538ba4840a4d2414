#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTextItem>

#include "platform/Twips.h"
#include "print/PrintController.h"
#include "print/SheetPrint.h"
#include "print/frmPrint.h"
#include "settings/AppSettings.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

using test::Sandbox;

// A page that remembers what was drawn on it: images with their target
// rectangles, texts with their baselines.
class RecordingEngine : public QPaintEngine {
public:
    struct Image {
        QRectF target;
        QImage image;
    };
    struct Text {
        QPointF baseline;
        QString text;
    };
    std::vector<Image> images;
    std::vector<Text> texts;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &) override
    {
        images.push_back({r, pm.toImage()});
    }
    void drawImage(const QRectF &r, const QImage &image, const QRectF &, Qt::ImageConversionFlags) override
    {
        images.push_back({r, image});
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override { texts.push_back({p, item.text()}); }
    Type type() const override { return User; }
};

class RecordingPage : public QPaintDevice {
public:
    static constexpr int kDpi = 300;
    const QSize size{2480, 3508}; // A4 at 300 dpi
    mutable RecordingEngine engine;
    QPaintEngine *paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return size.width();
        case PdmHeight:
            return size.height();
        case PdmWidthMM:
            return 210;
        case PdmHeightMM:
            return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(m);
        }
    }
};

AppSettings faceTurnedQuarter()
{
    AppSettings settings;
    settings.FacePictSyori[0] = 4;
    return settings;
}

class SheetRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 7; ++i)
            oral << box.write(QStringLiteral("p/o%1.jpg").arg(i),
                              test::encodeJpeg(test::makeQuadrantImage(160, 120)));
        for (int i = 0; i < 5; ++i)
            face << box.write(QStringLiteral("p/face/f%1.jpg").arg(i),
                              test::encodeJpeg(test::makeQuadrantImage(160, 120)));
        shell.ClinicName = QStringLiteral("テスト歯科医院");
        browse.List2 = oral;
        browse.ListFace = face;
        request = {QStringLiteral("No.00123"), QStringLiteral("山田 花子 様"),
                   QStringLiteral("平成21年3月5日"), QStringLiteral("初診\n二行目"), 0};
    }

    SheetSource source(SheetKind kind = SheetKind::Normal) const
    {
        return {kind,
                request,
                shell.ClinicName,
                oral,
                face,
                panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori),
                panelSetup(PanelKind::Face, settings.FaceJyunban, settings.FacePictSyori)};
    }

    std::unique_ptr<PrintController> controller(const QString &pdf)
    {
        auto c = std::make_unique<PrintController>(
            PrintContext{nullptr, {}, settings, shell, browse, request, [this] { return box.path(); }});
        c->setPrinterChooser([pdf](QPrinter &printer, QWidget *) {
            if (pdf.isEmpty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        return c;
    }

    Sandbox box;
    QStringList oral, face;
    AppSettings settings = faceTurnedQuarter();
    ShellState shell;
    BrowseState browse;
    PrintRequest request;
};

TEST_F(SheetRender, DrawsEveryPictureAtExactlyItsPlaceAndTheTextsAtTheirs)
{
    RecordingPage page;
    const QRect printable(QPoint(0, 0), page.size);
    ASSERT_TRUE(printSheet(page, printable, source()).ok());

    std::vector<QSize> oralSizes(7, QSize(160, 120)), faceSizes(5, QSize(160, 120));
    const QFontMetricsF metrics(sheetFont(), &page);
    const SheetLayout layout =
        layoutSheet({SheetKind::Normal, printable, RecordingPage::kDpi, int(std::ceil(metrics.height()))},
                    panelSetup(PanelKind::Oral, settings.Jyunban, settings.PictSyori), oralSizes,
                    panelSetup(PanelKind::Face, settings.FaceJyunban, settings.FacePictSyori), faceSizes);
    ASSERT_EQ(page.engine.images.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(page.engine.images[i].target, QRectF(layout.pictures[i].device));
        // Each picture goes to the page once, at the pixels it takes there.
        EXPECT_EQ(page.engine.images[i].image.size(), layout.pictures[i].device.size());
    }
    // The first facial place turns a quarter clockwise: red (top left) comes to the top right.
    const QImage &turned = page.engine.images[7].image;
    EXPECT_EQ(turned.height(), twipsToPixels(2300, RecordingPage::kDpi));
    EXPECT_EQ(test::quadrantColour(turned, turned.width() * 3 / 4, turned.height() / 4), 'r');
    EXPECT_EQ(test::quadrantColour(page.engine.images[0].image, 10, 10), 'r');

    // Text comes as runs of one script each; a line is where its first run begins.
    auto topLeft = [&](const QString &line) {
        for (const auto &t : page.engine.texts)
            if (!t.text.isEmpty() && line.startsWith(t.text))
                return t.baseline - QPointF(0, metrics.ascent());
        return QPointF(-1, -1);
    };
    EXPECT_EQ(topLeft(request.strPrintNo), QPointF(layout.number));
    EXPECT_EQ(topLeft(request.strPrintName), QPointF(layout.name));
    EXPECT_EQ(topLeft(request.strPrintDate), QPointF(layout.date));
    EXPECT_EQ(topLeft(shell.ClinicName), QPointF(layout.clinic));
    // The comment's second line begins at its left edge, one line below.
    EXPECT_EQ(topLeft(QStringLiteral("初診")), QPointF(layout.comment.topLeft()));
    EXPECT_EQ(topLeft(QStringLiteral("二行目")),
              QPointF(layout.comment.topLeft()) + QPointF(0, metrics.lineSpacing()));
}

TEST_F(SheetRender, LongCommentLineWrapsAtThePrintableEdge)
{
    RecordingPage page;
    const QString line = QStringLiteral("上顎前突の経過観察。").repeated(12);
    const qreal room = 900;
    const QStringList lines = commentLines(QStringLiteral("短い\r\n") + line, sheetFont(), &page, room);
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.first(), QStringLiteral("短い"));
    EXPECT_EQ(lines.mid(1).join(QString()), line);
    const QFontMetricsF metrics(sheetFont(), &page);
    for (const QString &l : lines)
        EXPECT_LE(metrics.horizontalAdvance(l), room) << l.toStdString();
}

struct FailureCase {
    const char *name;
    const char *picture; // what the third facial picture becomes; null: the PDF file's folder is missing
    const char *text;    // the message's start, followed by the file's path
};

class PrintFailure : public SheetRender, public ::testing::WithParamInterface<FailureCase> {};

// Nothing is printed: the pictures are all loaded before the page is opened.
TEST_P(PrintFailure, ShowsTheErrorBoxAndPrintsNothing)
{
    const char *picture = GetParam().picture;
    if (picture && !*picture)
        QFile::remove(face[2]);
    else if (picture)
        box.write(QStringLiteral("p/face/f2.jpg"), picture);
    test::MessageRecorder messages;
    const QString pdf =
        box.file(picture ? QStringLiteral("sheet.pdf") : QStringLiteral("no folder/sheet.pdf"));
    controller(pdf)->subPrintNormal();
    const QString path = picture ? face[2] : pdf;
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("ｴﾗｰ: 印刷"));
    EXPECT_EQ(messages.texts()[0].left(messages.texts()[0].size() - path.size() - 1),
              QString::fromUtf8(GetParam().text));
    EXPECT_TRUE(messages.texts()[0].endsWith(path + QStringLiteral(".")));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PrintFailure,
    ::testing::Values(FailureCase{"MissingPicture", "", "ｴﾗｰ: '2' - No such file or directory: "},
                      FailureCase{"NotAPicture", "no picture", "ｴﾗｰ: '481' - Unsupported image format: "},
                      FailureCase{"NoOutputFolder", nullptr, "ｴﾗｰ: '2' - No such file or directory: "}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SheetRender, CancelledPrinterDialogPrintsNothingAndSaysNothing)
{
    test::MessageRecorder messages;
    controller(QString())->subPrintLarge();
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A PDF that does not fit on its disk is reported and leaves no file behind; the
// next print of the run is whole again.
TEST_F(SheetRender, FullDiskIsReportedAndTheNextPrintIsWhole)
{
    const QString small = box.mkdir(QStringLiteral("small"));
    const QByteArray mountPoint = QFile::encodeName(small);
    if (::geteuid() != 0)
        GTEST_SKIP() << "filling a disk needs a small file system, and mounting one needs root";
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

    request.strPrintNo = QStringLiteral("No.00123");
    browse.strOralDate = QStringLiteral("2009/03/15");
    QString target = small + QStringLiteral("/sheet.pdf");
    QStringList offered;
    const auto printing = controller(QString());
    printing->setPrinterChooser([&](QPrinter &printer, QWidget *) {
        offered << printer.outputFileName();
        printer.setOutputFileName(target);
        return true;
    });
    test::MessageRecorder messages;
    printing->subPrintNormal();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("ｴﾗｰ: 印刷"));
    EXPECT_EQ(messages.texts()[0], QStringLiteral("ｴﾗｰ: '28' - No space left on device: %1.").arg(target));
    EXPECT_EQ(QDir(small).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());

    messages.clear();
    target = box.file(QStringLiteral("good.pdf"));
    printing->subPrintNormal();
    EXPECT_TRUE(messages.messages().empty()) << messages.texts().join(u'\n').toStdString();
    QFile pdf(target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    // The second print offered the last folder, under the sheet's own name.
    EXPECT_EQ(offered, QStringList({QString(), small + QStringLiteral("/00123_2009-03-15.pdf")}));
}

TEST_F(SheetRender, NoVisitShownSaysSoBeforeTheDialog)
{
    browse.List2.clear();
    browse.ListFace.clear();
    const auto printing = controller(box.file(QStringLiteral("sheet.pdf")));
    bool opened = false;
    printing->setDialogRunner([&opened](frmPrint &) { opened = true; });
    test::MessageRecorder messages;
    printing->mnuFilePrint_Click();
    EXPECT_FALSE(opened);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("印刷する画像がありません")});
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfCase {
    const char *name;
    bool highQuality;
    int pictureWidth; // the normal box, 2300 twips, in pixels at the printer's resolution, 600 ppi at most
};

class SheetPdf : public SheetRender, public ::testing::WithParamInterface<PdfCase> {};

TEST_P(SheetPdf, IsACompleteSheetWithItsFontEmbedded)
{
    for (const char *tool : {"pdftotext", "pdffonts", "pdfimages"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    if (GetParam().highQuality)
        box.write(QStringLiteral("PrintQHigh.txt"), "");
    const QString pdf = box.file(QStringLiteral("sheet.pdf"));
    test::MessageRecorder messages;
    // From the menu through the dialog, as the user prints.
    request = {};
    browse.strKrName = QStringLiteral("山田 花子");
    const auto printing = controller(pdf);
    printing->setDialogRunner([](frmPrint &dialog) {
        dialog.txtKrNo->setText(QStringLiteral("00123"));
        dialog.txtDate->setText(QStringLiteral("平成21年3月5日"));
        dialog.txtSetumei->setPlainText(QStringLiteral("初診\n二行目"));
        dialog.cmdOK->click();
    });
    printing->mnuFilePrint_Click();
    ASSERT_TRUE(messages.messages().empty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(request.strPrintName, QStringLiteral("山田 花子 様"));

    const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    for (const QString &line : {QStringLiteral("No.00123"), QStringLiteral("山田 花子 様"),
                                QStringLiteral("平成21年3月5日"), shell.ClinicName, QStringLiteral("二行目")})
        EXPECT_TRUE(text.contains(line)) << line.toStdString() << " not in:\n" << text.toStdString();
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    const QStringList fontLines = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fontLines.isEmpty()) << fonts.toStdString();
    EXPECT_TRUE(fontLines[0].startsWith(QStringLiteral("IPAPGothic"))) << fonts.toStdString();
    for (const QString &font : fontLines) { // emb is the fifth column from the right
        const QStringList columns = font.simplified().split(u' ');
        EXPECT_EQ(columns.value(columns.size() - 5), QStringLiteral("yes")) << font.toStdString();
    }

    // One image a picture, at the size its place takes at the printer's resolution
    // (a finer printer gets 600 ppi, scaled into the place).
    const QStringList images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                   .split(u'\n', Qt::SkipEmptyParts)
                                   .mid(2);
    ASSERT_EQ(images.size(), 12);
    const QStringList first = images[0].simplified().split(u' ');
    EXPECT_EQ(first.value(3).toInt(), GetParam().pictureWidth) << images[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Quality, SheetPdf,
                         ::testing::Values(PdfCase{"Normal600Dpi", false, 958},
                                           PdfCase{"MarkerHighResolution", true, 959}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SheetRender, CommentThatDoesNotFitIsToldFirstAndLeftOff)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("L%1").arg(i, 2, 10, QChar(u'0'));
    request.strPrintComment = lines.join(u'\n');
    const QString pdf = box.file(QStringLiteral("sheet.pdf"));
    QStringList told;
    bool printedBeforeTold = false;
    const MessageHandler previous = setMessageHandler([&](const MessageRequest &m) {
        told << m.text;
        printedBeforeTold |= QFile::exists(pdf);
        return MessageAnswer::Ok;
    });
    controller(pdf)->subPrintNormal();
    setMessageHandler(previous);

    ASSERT_EQ(told.size(), 1);
    const QRegularExpressionMatch fit =
        QRegularExpression(
            QStringLiteral(
                "^コメントは(\\d+)行までしか印刷できません、\r\n(\\d+)行目から後は印刷されません$"))
            .match(told[0]);
    ASSERT_TRUE(fit.hasMatch()) << told[0].toStdString();
    const int fitting = fit.captured(1).toInt();
    EXPECT_EQ(fit.captured(2).toInt(), fitting + 1);
    ASSERT_GT(fitting, 0);
    ASSERT_LT(fitting, lines.size());
    EXPECT_FALSE(printedBeforeTold);
    const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(lines[fitting - 1])) << text.toStdString();
    EXPECT_FALSE(text.contains(lines[fitting])) << text.toStdString();
}

TEST_F(SheetRender, PreviewRendersWhatPrintingPrints)
{
    for (const char *tool : {"pdftotext", "pdfimages"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    request.intPrintLarge = 1;
    const QString printed = box.file(QStringLiteral("printed.pdf"));
    const QString previewed = box.file(QStringLiteral("previewed.pdf"));
    controller(printed)->subPrintLarge();
    const auto printing = controller(QString());
    printing->setPreviewShower([&previewed](QPrinter &printer, QWidget *, const auto &paint) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(previewed);
        paint(&printer);
    });
    printing->previewSheet(request);
    const auto text = [](const QString &pdf) {
        return run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    };
    const auto images = [](const QString &pdf) {
        return run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    };
    EXPECT_TRUE(text(printed).contains(shell.ClinicName));
    EXPECT_EQ(text(previewed), text(printed));
    EXPECT_EQ(images(previewed).count(u'\n'), 12 + 2);
    EXPECT_EQ(images(previewed), images(printed));
}

} // namespace
} // namespace tolvarine
