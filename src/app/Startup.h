#pragma once

#include <functional>

class QApplication;
class QWidget;

namespace tolvarine {

class SingleInstance;

// When another copy holds the lock, tells the user so and returns true: the program
// then ends without a window. Otherwise the lock is held from now on.
bool refuseSecondCopy(SingleInstance &instance);

// Constructs the main window and runs its load without showing it.
using MainWindowLoader = std::function<QWidget *()>;

// Shows the splash while the main window loads, closes the splash (unless the user
// already has) and shows the main window, which is returned.
QWidget *showSplashWhileLoading(const MainWindowLoader &loadMainWindow);

// The program: everything from the running QApplication to the end of its event loop.
int runProgram(QApplication &app);

} // namespace tolvarine
