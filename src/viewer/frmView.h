#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace tolvarine {

// The enlarged view of one picture. For now it only names the picture it was
// opened on; non-modal, any number open at once, each deleted when it closes.
class frmView : public QWidget {
    Q_OBJECT
  public:
    explicit frmView(QWidget *owner = nullptr);

    // Shows an intraoral (HyoujiOne) or facial (HyoujiFace) picture of the given position.
    void HyoujiOne(const QString &strFileName, int intPictNo);
    void HyoujiFace(const QString &strFileName, int intPictNo);

    QString fileName() const { return fileName_; }
    int pictureNumber() const { return pictNo_; }
    bool isFacial() const { return facial_; }

  private:
    void present(const QString &strFileName, int intPictNo, bool facial);

    QLabel *lblPath_ = nullptr;
    QString fileName_;
    int pictNo_ = -1;
    bool facial_ = false;
};

} // namespace tolvarine
