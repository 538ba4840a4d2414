#include "app/frmMain.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QToolButton>

#include "app/MainLayout.h"
#include "browse/BrowseController.h"
#include "help/HelpMenu.h"
#include "import/DropList.h"
#include "import/ImportController.h"
#include "maintenance/MaintenanceController.h"
#include "options/frmOption.h"
#include "platform/Messages.h"
#include "platform/Twips.h"
#include "platform/WindowsFolder.h"
#include "print/PrintController.h"
#include "settings/ClinicIni.h"
#include "store/CaptureDate.h"
#include "store/PatientNumber.h"
#include "viewer/frmView.h"
#include "widgets/AppIcon.h"
#include "widgets/DriveList.h"
#include "widgets/FolderList.h"
#include "widgets/Fonts.h"
#include "widgets/ImagingView.h"
#include "widgets/StoreMessages.h"
#include "widgets/WindowPlace.h"

namespace tolvarine {

namespace {

constexpr int kDesignFontSize = 9;

QFont designFont(int pointSize)
{
    QFont font(japaneseUiFontFamily(), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QListWidget *sortedList(QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setSortingEnabled(true);
    return list;
}

QLabel *label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent), place_(std::make_unique<WindowPlace>(kMainPosition))
{
    installFontSubstitutions();
    setWindowTitle(applicationTitle());
    setWindowIcon(appIcon());
    // A fixed single border: minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(designFont(kDesignFontSize));
    programFolder_ = QCoreApplication::applicationDirPath();
    programEnd_ = [] { QCoreApplication::exit(0); };

    createMenus();
    createControls();
    placeControls(designLayout());
    createControllers();
}

frmMain::~frmMain() = default;

void frmMain::createControllers()
{
    auto store = [this]() -> QSettings & { return settingsStore(); };
    browse_ =
        std::make_unique<BrowseController>(BrowseParts{this, txtKrNo, cmdKrNo, txtKrName, Drive1, Dir1, List1,
                                                       ListFaDate, List2, ListFace, ImgSam, ImgFace, mnuPict},
                                           state_, settings_, store);
    BrowseController *browse = browse_.get();
    connect(browse, &BrowseController::viewRequested, this, &frmMain::openView);
    import_ = std::make_unique<ImportController>(
        ImportParts{this,
                    {mnuFile, mnuEdit, mnuPict},
                    {Drive1, Dir1, List1, txtKrNo, txtKrName},
                    txtKrNo,
                    List3,
                    lblDrop,
                    cmdDrop,
                    cmdExplorer,
                    mnuEditSamnail,
                    Dir1,
                    [browse](const QString &folder) { browse->listFolder(folder); }},
        shell_, settings_);
    print_ = std::make_unique<PrintController>(
        PrintContext{this, [this] { return folderPatientNumber(listedFolder()).value_or(QString()); },
                     settings_, shell_, state_, printRequest_, [this] { return programFolder_; }});
    connect(mnuFilePrint, &QAction::triggered, this, &frmMain::mnuFilePrint_Click);
    connect(mnuOptOption, &QAction::triggered, this, &frmMain::mnuOptOption_Click);
    createMaintenance();
}

void frmMain::createMaintenance()
{
    maintenance_ = std::make_unique<MaintenanceController>(
        MaintenanceParts{this, mnuEdit, mnuPict, [this]() -> QSettings & { return settingsStore(); },
                         [this] { return programFolder_; }, [this] { return Dir1->path(); },
                         [this] { browse_->listFolder(Dir1->path()); }, [this] { mnuEditSamnail_Click(); },
                         [this] { return subWriteExifDate(); }, [this] { return subSetFileTime(); }},
        state_, settings_);
    connect(mnuEditChange, &QAction::triggered, this, &frmMain::mnuEditChange_Click);
    connect(mnuEditNoPicture, &QAction::triggered, this, &frmMain::mnuEditNoPicture_Click);
    connect(mnuEditFaceNoPicture, &QAction::triggered, this, &frmMain::mnuEditFaceNoPicture_Click);
    connect(mnuEditKousin, &QAction::triggered, this, &frmMain::mnuEditKousin_Click);
    connect(mnuPictKanren, &QAction::triggered, this, &frmMain::mnuPictKanren_Click);
    connect(mnuPictKousin, &QAction::triggered, this, &frmMain::mnuPictKousin_Click);
    connect(mnuPictDeleat, &QAction::triggered, this, &frmMain::mnuPictDeleat_Click);
}

void frmMain::setSettingsStore(QSettings *store) { store_ = store; }

void frmMain::setProgramFolder(const QString &folder) { programFolder_ = folder; }

void frmMain::setForcedFontDensity(std::optional<int> dpi)
{
    densityForced_ = true;
    forcedDensity_ = dpi;
}

void frmMain::setProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }

QSettings &frmMain::settingsStore()
{
    if (!store_) {
        ownStore_ = openSettingsStore();
        store_ = ownStore_.get();
    }
    return *store_;
}

double frmMain::pixelDpi() const { return logicalDpiX(); }

QRect frmMain::toPixels(const QRect &twips) const { return twipsToPixels(twips, pixelDpi()); }

void frmMain::createControls()
{
    client_ = new QWidget(this);
    setCentralWidget(client_);

    lblKrNo = label(QStringLiteral("患者番号"), client_);
    txtKrNo = new QLineEdit(client_);
    cmdKrNo = new QPushButton(QStringLiteral("..."), client_);
    lblKrName = label(QStringLiteral("氏名"), client_);
    txtKrName = new QLineEdit(client_);

    List3 = new DropList(client_);
    cmdExplorer = new QToolButton(client_);
    cmdExplorer->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    cmdExplorer->setIconSize(QSize(16, 16));
    lblDrop = label(QString(), client_);
    cmdDrop = new QPushButton(client_);
    // The buttons without a caption say what they do when pointed at.
    cmdKrNo->setToolTip(QStringLiteral("数字ボタンで患者番号を入力します"));
    cmdExplorer->setToolTip(QStringLiteral("取り込み元フォルダをファイルブラウザで開きます"));
    cmdDrop->setToolTip(QStringLiteral("ドロップした画像の取り込み先を口腔と顔面で切り替えます"));

    Drive1 = new DriveList(client_);
    Dir1 = new FolderList(client_);
    List1 = sortedList(client_);
    List1->hide();
    ListFaDate = sortedList(client_);
    ListFaDate->hide();
    List2 = sortedList(client_);
    List2->hide();
    ListFace = sortedList(client_);
    ListFace->hide();

    for (int i = 0; i < static_cast<int>(ImgSam.size()); ++i)
        ImgSam[i] = new ImagingView(i, client_);
    for (int i = 0; i < static_cast<int>(ImgFace.size()); ++i)
        ImgFace[i] = new ImagingView(i, client_);
    ImgPrint = new ImagingView(0, client_);
    ImgPrint->hide();

    // An etched rule under the menu bar: a shadow line over a highlight line.
    Line1 = new QFrame(client_);
    Line1->setAutoFillBackground(true);
    Line1->setBackgroundRole(QPalette::Dark);
    Line2 = new QFrame(client_);
    Line2->setAutoFillBackground(true);
    Line2->setBackgroundRole(QPalette::Light);

    lblClinicName = label(QString(), client_);
    lblClinicName->setFont(designFont(kClinicDesignFontSize));

    txtKrNo->setFocus();
}

void frmMain::placeControls(const MainLayout &l)
{
    lblKrNo->setGeometry(toPixels(l.lblKrNo));
    // The drive list reaches a little into the label's rectangle: the caption starts
    // past it and is drawn above it, so that no character is cut.
    const int overlap = l.Drive1.x() + l.Drive1.width() - l.lblKrNo.x();
    lblKrNo->setIndent(overlap > 0 ? twipsToPixels(overlap, pixelDpi()) + 1 : 0);
    lblKrNo->raise();
    txtKrNo->setGeometry(toPixels(l.txtKrNo));
    cmdKrNo->setGeometry(toPixels(l.cmdKrNo));
    lblKrName->setGeometry(toPixels(l.lblKrName));
    txtKrName->setGeometry(toPixels(l.txtKrName));
    List3->setGeometry(toPixels(l.List3));
    cmdExplorer->setGeometry(toPixels(l.cmdExplorer));
    lblDrop->setGeometry(toPixels(l.lblDrop));
    cmdDrop->setGeometry(toPixels(l.cmdDrop));
    Drive1->setGeometry(toPixels(l.Drive1));
    List2->setGeometry(toPixels(l.List2));
    ListFace->setGeometry(toPixels(l.ListFace));
    ImgPrint->setGeometry(toPixels(l.ImgPrint));
    applyLayout(l);
    lblClinicName->setGeometry(toPixels(l.lblClinicName));
    setRules(l.Line1.x2());
}

// The part of the geometry that depends on the layout, in the order the load
// has always set it.
void frmMain::applyLayout(const MainLayout &l)
{
    setClientSize(l.client);
    for (std::size_t i = 0; i < ImgSam.size(); ++i)
        ImgSam[i]->setGeometry(toPixels(l.ImgSam[i]));
    for (std::size_t i = 0; i < ImgFace.size(); ++i)
        ImgFace[i]->setGeometry(toPixels(l.ImgFace[i]));
    Dir1->setGeometry(toPixels(l.Dir1));
    List1->setGeometry(toPixels(l.List1));
    ListFaDate->setGeometry(toPixels(l.ListFaDate));
    if (!shell_.CompactLayout)
        List3->setGeometry(toPixels(l.List3));
    lblClinicName->move(toPixels(l.lblClinicName).topLeft());
}

void frmMain::setClientSize(const QSize &twips)
{
    const QSize pixels = twipsToPixels(twips, pixelDpi());
    client_->setFixedSize(pixels);
    const int menuHeight = menuBar()->heightForWidth(pixels.width());
    setFixedSize(pixels.width(), pixels.height() + std::max(menuHeight, menuBar()->sizeHint().height()));
}

void frmMain::setRules(int endXTwips)
{
    const double dpi = pixelDpi();
    const int width = twipsToPixels(endXTwips, dpi);
    Line1->setGeometry(0, twipsToPixels(0, dpi), width, 1);
    Line2->setGeometry(0, std::max(1, twipsToPixels(15, dpi)), width, 1);
}

void frmMain::Form_Load()
{
    QSettings &store = settingsStore();
    place_->restore(store, *this);
    settings_ = loadAppSettings(store, programFolder_);

    subCheckLargeFont();
    subGetWindowsFolder();

    const MainLayout layout = mainLayout(shell_.CompactLayout);
    applyLayout(layout);

    if (settings_.DropAriaTips == 1) {
        List3->addItem(QStringLiteral("ここに画像ファイルを"));
        List3->addItem(QStringLiteral("ドロップして下さい"));
    }
    setRules(layout.client.width());

    shell_.DropIsOral = true;
    lblDrop->setText(QStringLiteral("口腔"));

    showClinicName();
    openPictureFolder();
}

void frmMain::subCheckLargeFont()
{
    const std::optional<int> dpi = densityForced_ ? forcedDensity_ : primaryScreenFontDensity();
    shell_.CompactLayout = compactLayoutFor(fontDensityText(dpi), settings_.OsFontSize);
}

void frmMain::subGetWindowsFolder() { shell_.WindowsFolder = windowsFolder(); }

void frmMain::subReadClinicIni()
{
    const std::optional<ClinicIni> ini = readClinicIni(programFolder_);
    if (!ini)
        return;
    shell_.ClinicName = ini->ClinicName;
    shell_.ClinicFontSize = ini->ClinicFontSize;
    shell_.ClinicFontName = ini->ClinicFontName;
}

void frmMain::showClinicName()
{
    if (clinicIniPath(programFolder_).isEmpty())
        return;
    subReadClinicIni();
    QFont font = lblClinicName->font();
    font.setPointSize(clinicFontPointSize(shell_.ClinicFontSize, font.pointSize()));
    // An unknown family falls back to the design font.
    if (shell_.ClinicFontName != QLatin1String("Err") && !shell_.ClinicFontName.trimmed().isEmpty())
        font.setFamilies({shell_.ClinicFontName, japaneseUiFontFamily()});
    lblClinicName->setFont(font);
    lblClinicName->setText(shell_.ClinicName);
}

// A picture folder that cannot be shown falls back to the program's own folder,
// silently; the setting itself stays as it is.
void frmMain::openPictureFolder()
{
    if (Dir1->setPath(settings_.PictFolda) && Drive1->setDrive(Dir1->path()))
        return;
    Dir1->setPath(programFolder_);
    Drive1->setDrive(programFolder_);
}

void frmMain::openView(PanelKind kind, const QString &path, int position)
{
    auto *view = new frmView(settings_, settingsStore(), state_, this);
    view->show();
    if (kind == PanelKind::Oral)
        view->HyoujiOne(path, position);
    else
        view->HyoujiFace(path, position);
}

std::optional<QDateTime> frmMain::funGetFileDate(const QString &strFileName)
{
    return fileDateOrTell(strFileName);
}

QDateTime frmMain::funGetExifFileDate(const QString &strFileName)
{
    Outcome failure;
    const QDateTime date = exifOrFileDate(ImgPrint->control(), strFileName, &failure);
    if (!failure)
        showDateFailure(failure);
    return date;
}

QDateTime frmMain::funPictureDate(const QString &strFileName)
{
    const PictureDate dated = pictureDate(strFileName, settings_.FileHizuke);
    if (!dated.failure)
        showDateFailure(dated.failure);
    return dated.date;
}

// Fails silently: the caller decides whether a date change that did not take matters.
bool frmMain::subWriteExifDate()
{
    return writeExifDate(ImgPrint->control(), state_.strTargetFile, state_.datNewDate).ok();
}

bool frmMain::subSetFileTime()
{
    const Outcome set = setFileTime(state_.strTargetFile, state_.datNewDate);
    if (!set)
        showFileTimeFailure(set);
    return set.ok();
}

void frmMain::KrNoEnter() { browse_->KrNoEnter(); }
void frmMain::txtKrNo_KeyPress(int &KeyAscii) { browse_->txtKrNo_KeyPress(KeyAscii); }
void frmMain::cmdKrNo_Click() { browse_->cmdKrNo_Click(); }
void frmMain::txtKrName_Change() { browse_->txtKrName_Change(); }
void frmMain::txtKrName_LostFocus() { browse_->txtKrName_LostFocus(); }
void frmMain::Dir1_Change() { browse_->Dir1_Change(); }
void frmMain::Drive1_Change() { browse_->Drive1_Change(); }
void frmMain::List1_Click() { browse_->List1_Click(); }
void frmMain::ListFaDate_Click() { browse_->ListFaDate_Click(); }
void frmMain::subShowOral(const QString &strDate) { browse_->subShowOral(strDate); }
void frmMain::subShowFace(const QString &strDate) { browse_->subShowFace(strDate); }
void frmMain::ImgSam_Click(int index) { browse_->openView(PanelKind::Oral, index); }
void frmMain::ImgFace_Click(int index) { browse_->openView(PanelKind::Face, index); }

void frmMain::ImgSam_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    browse_->openPictureMenu(PanelKind::Oral, index, button);
}

void frmMain::ImgFace_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    browse_->openPictureMenu(PanelKind::Face, index, button);
}

QString frmMain::funOralFileName(int16_t intPictNo) const { return browse_->funOralFileName(intPictNo); }
QString frmMain::funFaceFileName(int16_t intPictNo) const { return browse_->funFaceFileName(intPictNo); }
QString frmMain::listedFolder() const { return browse_->listedFolder(); }

void frmMain::List3_OLEDragDrop(const QStringList &files) { import_->List3_OLEDragDrop(files); }
void frmMain::cmdDrop_Click() { import_->cmdDrop_Click(); }
void frmMain::cmdExplorer_Click() { import_->cmdExplorer_Click(); }
void frmMain::mnuEditSamnail_Click() { import_->mnuEditSamnail_Click(); }

void frmMain::mnuEditChange_Click() { maintenance_->mnuEditChange_Click(); }
void frmMain::mnuEditNoPicture_Click() { maintenance_->mnuEditNoPicture_Click(); }
void frmMain::mnuEditFaceNoPicture_Click() { maintenance_->mnuEditFaceNoPicture_Click(); }
void frmMain::mnuEditKousin_Click() { maintenance_->mnuEditKousin_Click(); }
void frmMain::mnuPictKanren_Click() { maintenance_->mnuPictKanren_Click(); }
void frmMain::mnuPictKousin_Click() { maintenance_->mnuPictKousin_Click(); }
void frmMain::mnuPictDeleat_Click() { maintenance_->mnuPictDeleat_Click(); }

void frmMain::mnuFilePrint_Click() { print_->mnuFilePrint_Click(); }
void frmMain::subPrintNormal() { print_->subPrintNormal(); }
void frmMain::subPrintLarge() { print_->subPrintLarge(); }

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::mnuHelpContent_Click() { help_->mnuHelpContent_Click(); }
void frmMain::mnuHelpSearch_Click() { help_->mnuHelpSearch_Click(); }
void frmMain::mnuHelpAbout_Click() { help_->mnuHelpAbout_Click(); }
void frmMain::mnuOptOption_Click()
{
    frmOption dialog(this, settings_, settingsStore(), shell_.WindowsFolder, programFolder_);
    dialog.exec();
}

void frmMain::Form_Activate() { txtKrNo->setFocus(Qt::ActiveWindowFocusReason); }

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
}

// Ends the program at once: other windows are left without their own closing.
void frmMain::Form_Unload()
{
    place_->save(settingsStore(), *this);
    if (programEnd_)
        programEnd_();
}

} // namespace tolvarine
