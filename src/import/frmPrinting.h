#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace tolvarine {

struct ImportProgress;

// The small modeless window shown while dropped files are copied. Its timer moves
// the bar to the index of the file being copied. Deleted when it closes.
class frmPrinting : public QWidget {
    Q_OBJECT
public:
    // The progress state must outlive the window; mainWindow places it.
    frmPrinting(const ImportProgress &state, QWidget *mainWindow);

    static constexpr int kTimerPeriodMs = 100;

    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load(QWidget *mainWindow);
    void Timer1_Timer();
    void Form_Unload();

    const ImportProgress &state_;
};

} // namespace tolvarine
