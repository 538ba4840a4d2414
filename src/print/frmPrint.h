#pragma once

#include <functional>

#include <QDialog>
#include <QString>

#include "settings/SharedState.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tolvarine {

// The print dialog: the texts of a visit sheet and the choice of the large
// layout. OK writes the PrintRequest, prints through the routine it was given and
// closes, however printing ended; the close box prints nothing and leaves the
// previous request as it was.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    frmPrint(QWidget *owner, const QString &mainKrNo, const QString &strKrName, PrintRequest &request,
             std::function<void()> subPrintNormal, std::function<void()> subPrintLarge);

    // Offers the ﾌﾟﾚﾋﾞｭｰ button, which shows the sheet the texts as they stand
    // would print; nothing is written to the PrintRequest for it.
    void setPreview(std::function<void(const PrintRequest &)> preview);

    // The request the dialog's texts make now.
    PrintRequest currentRequest() const;

    void chePrintLarge_Click();
    void cmdOK_Click();
    void cmdPreview_Click();

    QLabel *lblKrNo = nullptr;
    QLineEdit *txtKrNo = nullptr;
    QLineEdit *txtKrName = nullptr;
    QLabel *lblKrName = nullptr;
    QLineEdit *txtDate = nullptr;
    QLabel *lblComent = nullptr;
    QPlainTextEdit *txtSetumei = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdPreview = nullptr;
    QCheckBox *chePrintLarge = nullptr;

private:
    void Form_Load(const QString &mainKrNo, const QString &strKrName);
    QRect toPixels(int left, int top, int width, int height) const;

    PrintRequest &request_;
    std::function<void()> subPrintNormal_;
    std::function<void()> subPrintLarge_;
    std::function<void(const PrintRequest &)> preview_;
};

} // namespace tolvarine
