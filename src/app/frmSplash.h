#pragma once

#include <QFrame>
#include <QWidget>

class QLabel;

namespace tolvarine {

// The frame of the splash: a click on the frame itself, not on one of its controls,
// is reported.
class SplashFrame : public QFrame {
    Q_OBJECT
public:
    explicit SplashFrame(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool pressed_ = false;
};

// Shown while the main window loads. No title bar, not in the task bar, centred on
// the screen; any key or a click on the frame closes it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    SplashFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblPlatform = nullptr;
    QLabel *lblVersion = nullptr;

    // The client area in twips.
    static constexpr int kClientWidthTwips = 5295;
    static constexpr int kClientHeightTwips = 3375;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();
    void Form_KeyPress(QKeyEvent *event);
    void Frame1_Click();
    void layOut();
    void centreOnScreen();
};

} // namespace tolvarine
