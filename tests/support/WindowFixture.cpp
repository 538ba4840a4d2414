#include "support/WindowFixture.h"

#include <QDir>

#include "settings/AppSettings.h"

namespace tolvarine::test {

void WindowFixture::SetUp()
{
    program = QDir::cleanPath(box.mkdir(QStringLiteral("program")));
    store = box.settings();
}

std::unique_ptr<frmMain> WindowFixture::makeWindow(std::optional<int> density)
{
    auto w = std::make_unique<frmMain>();
    w->setSettingsStore(store.get());
    w->setProgramFolder(program);
    w->setForcedFontDensity(density);
    w->setProgramEnd([this] { ++programEnds; });
    return w;
}

std::unique_ptr<frmMain> WindowFixture::loadWindow(std::optional<int> density)
{
    auto w = makeWindow(density);
    w->Form_Load();
    return w;
}

void WindowFixture::setSetting(const QString &key, const QString &value)
{
    store->beginGroup(settingsSection());
    store->setValue(key, value);
    store->endGroup();
    store->sync();
}

QString WindowFixture::storedSetting(const QString &key)
{
    store->sync();
    store->beginGroup(settingsSection());
    const QString value = store->value(key).toString();
    store->endGroup();
    return value;
}

} // namespace tolvarine::test
