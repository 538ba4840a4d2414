#include "help/HelpContents.h"

#include <QTextBlock>
#include <QTextDocument>

#include "platform/FileSystem.h"
#include "store/StorePaths.h"

namespace tolvarine {

namespace {

// Far above any help text; a larger file is not one of ours.
constexpr qint64 kLargestHelpFile = 8 * 1024 * 1024;

} // namespace

QString helpFilePath(const QString &programFolder)
{
    return joinPath(programFolder, QStringLiteral("tolvarin.html"));
}

Outcome readHelpFile(const QString &path, QString &html)
{
    html.clear();
    QByteArray bytes;
    const Outcome read = readWholeFile(path, bytes, kLargestHelpFile);
    if (read)
        html = QString::fromUtf8(bytes);
    return read;
}

std::vector<HelpHeading> helpHeadings(const QTextDocument &document)
{
    std::vector<HelpHeading> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0) {
            if (!headings.empty())
                headings.back().end = block.position();
            headings.push_back({level, block.text().simplified(), block.position(), 0, {}});
        }
        if (!headings.empty())
            headings.back().text += block.text() + u'\n';
    }
    if (!headings.empty())
        headings.back().end = document.characterCount() - 1;
    return headings;
}

QString searchForm(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

std::vector<int> findHeadings(const std::vector<HelpHeading> &headings, const QString &keyword)
{
    const QString key = searchForm(keyword.trimmed());
    std::vector<int> inTitle, inText;
    for (int i = 0; i < int(headings.size()); ++i) {
        if (searchForm(headings[size_t(i)].title).contains(key))
            inTitle.push_back(i);
        else if (searchForm(headings[size_t(i)].text).contains(key))
            inText.push_back(i);
    }
    inTitle.insert(inTitle.end(), inText.begin(), inText.end());
    return inTitle;
}

} // namespace tolvarine
