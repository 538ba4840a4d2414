#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "settings/AppSettings.h"
#include "settings/SharedState.h"
#include "store/PanelFill.h"
#include "store/VisitSteps.h"
#include "widgets/WindowPlace.h"

class QSettings;

namespace tolvarine {

class ViewCanvas;
class ViewPicture;

// The enlarged view of one picture: non-modal, any number open at once, each
// deleted when it closes. It copies the settings when it opens and what it needs
// of the browse state when a picture is shown, so that it keeps showing the same
// patient while the main window lists another. The settings store must outlive it.
//
// Beyond showing the picture: the wheel and + / - zoom, a drag or the arrow keys
// pan, a double click fits again; Page Up / Page Down step to the same position at
// the previous / next visit that has a picture there, keeping a zoomed view on the
// same detail; C shows another visit beside the opened picture, both zooming and
// panning together; Esc closes.
class frmView : public QWidget {
    Q_OBJECT
public:
    frmView(const AppSettings &settings, QSettings &store, const BrowseState &state,
            QWidget *owner = nullptr);
    ~frmView() override;

    // Shows an intraoral (HyoujiOne) or facial (HyoujiFace) picture of the given position.
    void HyoujiOne(const QString &strFileName, int intPictNo);
    void HyoujiFace(const QString &strFileName, int intPictNo);

    ViewCanvas *Img1 = nullptr;

    QString strViewFile; // the picture shown (the single one, or the opened one of a pair)
    int16_t intViewPos = 0;
    bool blnFaceMode = false;
    float sngAspect = 0; // height / width of the picture as stored
    bool blnShown = false;

    bool isComparing() const { return comparing_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void present(const QString &strFileName, int intPictNo, PanelKind kind);
    void setCaption(const QString &fileName);
    void sizeWindow(bool portrait);
    void layoutImg1(QSize windowPixels);
    std::shared_ptr<ViewPicture> pictureFor(const QString &path);
    const std::vector<PositionVisit> &positionVisits();
    QString visitDate(const QString &path);
    void showSingle(std::shared_ptr<ViewPicture> picture, bool keepView = false);
    void showPair();
    void stepVisit(int direction);
    void toggleCompare();

    AppSettings settings_;
    QSettings &store_;
    const BrowseState &state_;
    WindowPlace place_{kViewPosition};

    // What the view steps through, taken when its picture was shown.
    PanelKind kind_ = PanelKind::Oral;
    QStringList oralFiles_;
    std::vector<QDateTime> oralDates_;
    int oralCount_ = 0;
    QString faceFolder_;
    std::optional<std::vector<PositionVisit>> visits_;

    std::shared_ptr<ViewPicture> opened_;  // the picture the window was opened with
    std::shared_ptr<ViewPicture> current_; // the one the single view shows
    std::shared_ptr<ViewPicture> other_;   // the left one of a pair
    bool comparing_ = false;
};

} // namespace tolvarine
