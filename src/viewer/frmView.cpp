#include "viewer/frmView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tolvarine {

frmView::frmView(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    lblPath_ = new QLabel(this);
    lblPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPath_);
    resize(480, 120);
}

void frmView::HyoujiOne(const QString &strFileName, int intPictNo)
{
    present(strFileName, intPictNo, false);
}

void frmView::HyoujiFace(const QString &strFileName, int intPictNo)
{
    present(strFileName, intPictNo, true);
}

void frmView::present(const QString &strFileName, int intPictNo, bool facial)
{
    fileName_ = strFileName;
    pictNo_ = intPictNo;
    facial_ = facial;
    setWindowTitle(strFileName);
    lblPath_->setText(strFileName);
}

} // namespace tolvarine
