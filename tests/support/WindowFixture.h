#pragma once

#include <memory>
#include <optional>

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "support/TestSupport.h"

namespace tolvarine::test {

// A main window with a program folder and a settings store of the test's own;
// ending the program only counts.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;

    std::unique_ptr<frmMain> makeWindow(std::optional<int> density = 96);
    std::unique_ptr<frmMain> loadWindow(std::optional<int> density = 96);
    void setSetting(const QString &key, const QString &value);
    QString storedSetting(const QString &key);

    Sandbox box;
    QString program;
    std::unique_ptr<QSettings> store;
    int programEnds = 0;
};

} // namespace tolvarine::test
