#pragma once

#include <vector>

#include <QString>

#include "platform/Outcome.h"

class QTextDocument;

namespace tolvarine {

// The help file, HTML in UTF-8, beside the program.
QString helpFilePath(const QString &programFolder);

// Reads the help file; on failure html is left empty.
Outcome readHelpFile(const QString &path, QString &html);

// A heading of the help and the section it opens, up to the next heading.
struct HelpHeading {
    int level = 1; // 1 for <h1>, 2 for <h2> ...
    QString title;
    int position = 0; // where the heading starts in the document
    int end = 0;      // where its section ends
    QString text;     // the section's plain text, heading included
};

// Every heading of a document, in document order.
std::vector<HelpHeading> helpHeadings(const QTextDocument &document);

// A text as the search compares it: half- and full-width forms and letter case
// folded, so that "ﾌﾟﾘﾝﾀ" finds "プリンタ" and "pdf" finds "PDF".
QString searchForm(const QString &text);

// The indexes of the headings a keyword finds, by partial match: first those whose
// title holds it, then those whose section text does, each in document order.
// Blanks around the keyword are ignored; an empty keyword finds every heading.
std::vector<int> findHeadings(const std::vector<HelpHeading> &headings, const QString &keyword);

} // namespace tolvarine
