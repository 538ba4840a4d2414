#pragma once

#include <memory>
#include <vector>

#include <QDir>
#include <QListWidget>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "settings/AppSettings.h"
#include "support/StoreTestData.h"
#include "support/TestSupport.h"
#include "support/WindowFixture.h"
#include "widgets/ImagingView.h"

namespace tolvarine::test {

// A main window over a picture folder of the test's own, with its own settings.
class BrowseWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        pictures = QDir::cleanPath(box.mkdir(QStringLiteral("pictures")));
        setSetting(QStringLiteral("PictFolda"), pictures);
    }

    // The patient folder of a five-digit number, made.
    QString patient(const QString &number)
    {
        return QDir::cleanPath(box.mkdir(QStringLiteral("pictures/%1/%2").arg(number.left(3), number)));
    }

    static QString picture(const QString &folder, const QString &name, const QDate &day, int seconds = 0)
    {
        return writePicture(QDir(folder).filePath(name), day, seconds);
    }

    static void commit(frmMain &w, const QString &typed)
    {
        w.txtKrNo->setText(typed);
        w.KrNoEnter();
    }

    // Positions whose thumbnail control is shown.
    static std::vector<int> shownOral(const frmMain &w)
    {
        std::vector<int> shown;
        for (int i = 0; i < 7; ++i)
            if (!w.ImgSam[size_t(i)]->isHidden())
                shown.push_back(i);
        return shown;
    }

    static std::vector<int> shownFace(const frmMain &w)
    {
        std::vector<int> shown;
        for (int i = 0; i < 5; ++i)
            if (!w.ImgFace[size_t(i)]->isHidden())
                shown.push_back(i);
        return shown;
    }

    static QStringList entries(const QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    static QString selected(const QListWidget *list)
    {
        const auto items = list->selectedItems();
        return items.isEmpty() ? QStringLiteral("<none>") : items.first()->text();
    }

    // Selects an entry the way a user's click does.
    static void userSelects(QListWidget *list, const QString &text)
    {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        list->setCurrentItem(found.first());
    }

    MessageRecorder messages;
    QString pictures;
};

} // namespace tolvarine::test
