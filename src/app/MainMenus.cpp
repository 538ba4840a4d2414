#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/frmMain.h"
#include "help/HelpMenu.h"

namespace tolvarine {

namespace {

QMenu *menu(const char *name, const QString &title, QWidget *parent)
{
    auto *m = new QMenu(title, parent);
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    return m;
}

QAction *entry(QMenu *m, const char *name, const QString &caption)
{
    QAction *a = m->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

QAction *separator(QMenu *m, const char *name)
{
    QAction *a = m->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

// The entries of the other windows' operations are connected where those are built.
void frmMain::createMenus()
{
    QMenuBar *bar = menuBar();

    mnuFile = menu("mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"), this);
    mnuFilePrint = entry(mnuFile, "mnuFilePrint", QStringLiteral("印刷(&P)"));
    mnuFileSep = separator(mnuFile, "mnuFileSep");
    mnuFileExit = entry(mnuFile, "mnuFileExit", QStringLiteral("終了(&X)"));
    bar->addMenu(mnuFile);

    mnuEdit = menu("mnuEdit", QStringLiteral("編集(&E)"), this);
    mnuEditChange = entry(mnuEdit, "mnuEditChange", QStringLiteral("ﾌｧｲﾙ名表示順変更"));
    mnuEditSep0 = separator(mnuEdit, "mnuEditSep0");
    mnuEditNoPicture = entry(mnuEdit, "mnuEditNoPicture", QStringLiteral("口腔に空白画像の追加"));
    mnuEditFaceNoPicture = entry(mnuEdit, "mnuEditFaceNoPicture", QStringLiteral("顔面に空白画像の追加"));
    mnuEditSep = separator(mnuEdit, "mnuEditSep");
    mnuEditSamnail = entry(mnuEdit, "mnuEditSamnail", QStringLiteral("ｻﾑﾈｲﾙの再作成"));
    mnuEditSep2 = separator(mnuEdit, "mnuEditSep2");
    mnuEditKousin = entry(mnuEdit, "mnuEditKousin", QStringLiteral("ﾌｧｲﾙの更新日変更"));
    bar->addMenu(mnuEdit);

    mnuOpt = menu("mnuOpt", QStringLiteral("設定(&O)"), this);
    mnuOptOption = entry(mnuOpt, "mnuOptOption", QStringLiteral("ｵﾌﾟｼｮﾝ"));
    bar->addMenu(mnuOpt);

    mnuHelp = menu("mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    mnuHelpContent = entry(mnuHelp, "mnuHelpContent", QStringLiteral("ﾍﾙﾌﾟ目次"));
    mnuHelpSearch = entry(mnuHelp, "mnuHelpSearch", QStringLiteral("ﾍﾙﾌﾟ検索"));
    mnuHelpSep = separator(mnuHelp, "mnuHelpSep");
    mnuHelpAbout = entry(mnuHelp, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    bar->addMenu(mnuHelp);

    // Not on the menu bar: the thumbnails open it as their context menu.
    mnuPict = menu("mnuPict", QStringLiteral("外部"), this);
    mnuPictKanren = entry(mnuPict, "mnuPictKanren", QStringLiteral("関連付けで開く"));
    mnuPictSep = separator(mnuPict, "mnuPictSep");
    mnuPictKousin = entry(mnuPict, "mnuPictKousin", QStringLiteral("ﾌｧｲﾙ更新日変更"));
    mnuPictSep2 = separator(mnuPict, "mnuPictSep2");
    mnuPictDeleat = entry(mnuPict, "mnuPictDeleat", QStringLiteral("削除"));

    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    help_ = std::make_unique<HelpMenu>(this, [this] { return programFolder_; });
    connect(mnuHelpContent, &QAction::triggered, this, &frmMain::mnuHelpContent_Click);
    connect(mnuHelpSearch, &QAction::triggered, this, &frmMain::mnuHelpSearch_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

} // namespace tolvarine
