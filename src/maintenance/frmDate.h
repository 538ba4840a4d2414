#pragma once

#include <optional>

#include <QDateTime>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvarine {

// The date dialog of a picture's date change: year, month and day boxes, empty at
// every showing. It ends accepted with a valid day, or cancelled; closing it any
// other way counts as キャンセル.
class frmDate : public QDialog {
    Q_OBJECT
public:
    explicit frmDate(QWidget *owner);

    void cmdOK_Click();
    void cmdCancel_Click();

    // The accepted day at 12:00:00; nullopt unless the dialog ended with OK.
    std::optional<QDateTime> datNewDate() const { return accepted_; }

    QLineEdit *txtYear = nullptr;
    QLabel *lblYear = nullptr;
    QLineEdit *txtMonth = nullptr;
    QLabel *lblMonth = nullptr;
    QLineEdit *txtDay = nullptr;
    QLabel *lblDay = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    std::optional<QDateTime> accepted_;
};

} // namespace tolvarine
