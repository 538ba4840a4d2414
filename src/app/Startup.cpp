#include "app/Startup.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <QWindow>

#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/Messages.h"
#include "platform/ReadPool.h"
#include "platform/SingleInstance.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBoxHandler.h"

namespace tolvarine {

namespace {

// The main window's load keeps the thread busy, so the splash must be on the screen
// and painted before it starts. The window system maps a window asynchronously;
// waiting for that is bounded so that a slow display cannot hold up the start.
void paintNow(QWidget *splash)
{
    QDeadlineTimer deadline(500);
    QCoreApplication::processEvents();
    while (splash && splash->windowHandle() && !splash->windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    if (splash)
        splash->repaint();
    QCoreApplication::processEvents();
}

// The program speaks Japanese whatever the desktop's language, and so do Qt's own
// dialogs (printing, files, message-box buttons) when Qt's Japanese translation is
// installed; without it they stay in English.
void installQtJapanese(QApplication &app)
{
    static QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

} // namespace

bool refuseSecondCopy(SingleInstance &instance)
{
    // A lock that cannot be made at all says nothing about another copy; refusing to
    // start would lock the user out, so the program runs.
    if (instance.tryAcquire() != SingleInstance::Result::HeldByAnother)
        return false;
    showMessage(applicationTitle() + QStringLiteral(" は既に起動されています"), applicationTitle(),
                MessageButtons::Ok);
    return true;
}

QWidget *showSplashWhileLoading(const MainWindowLoader &loadMainWindow)
{
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    paintNow(splash);

    QWidget *main = loadMainWindow();

    if (splash)
        splash->close();
    if (main)
        main->show();
    return main;
}

int runProgram(QApplication &app)
{
    installFontSubstitutions();
    installQtJapanese(app);
    installMessageBoxHandler();

    // The lock records the application name and is checked against the running
    // executable's name, so it is taken before the name becomes the title.
    SingleInstance instance(applicationTitle());
    if (refuseSecondCopy(instance))
        return 0;

    QCoreApplication::setOrganizationName(applicationTitle());
    QCoreApplication::setApplicationName(applicationTitle());
    // The desktop matches the windows to the menu entry tolvarine.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvarine"));

    QPointer<QWidget> main = showSplashWhileLoading([] {
        auto *window = new frmMain;
        window->Form_Load();
        return window;
    });
    const int result = app.exec();
    delete main.data();
    joinWorkers();
    return result;
}

} // namespace tolvarine
