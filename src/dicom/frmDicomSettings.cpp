#include "dicom/frmDicomSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dicom/DicomSend.h"
#include "dicom/DicomViews.h"
#include "platform/Messages.h"

namespace tolvarine {

namespace {

QComboBox *viewBox(PanelKind kind, const QString &chosen, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->addItem(QStringLiteral("なし"), QString());
    for (const DicomView *view : dicomViewsFor(kind))
        box->addItem(QString::fromUtf8(view->label), QString::fromLatin1(view->id));
    // A stored view this program does not offer (any more) reads as none.
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
    return box;
}

template <std::size_t N>
void addRows(QGridLayout *grid, PanelKind kind, const std::array<QString, N> &views,
             const std::array<int16_t, N> &mirrors, const std::array<int16_t, N> &codes,
             std::array<QComboBox *, N> &viewBoxes, std::array<QCheckBox *, N> &mirrorBoxes, QWidget *parent)
{
    const bool oral = kind == PanelKind::Oral;
    for (std::size_t i = 0; i < N; ++i) {
        const int row = grid->rowCount();
        const QString name = (oral ? QStringLiteral("画像%1") : QStringLiteral("顔面画像%1")).arg(i);
        grid->addWidget(new QLabel(name, parent), row, 0);
        viewBoxes[i] = viewBox(kind, views[i], parent);
        grid->addWidget(viewBoxes[i], row, 1);
        mirrorBoxes[i] = new QCheckBox(QStringLiteral("ミラー"), parent);
        mirrorBoxes[i]->setChecked(mirrors[i] != 0);
        grid->addWidget(mirrorBoxes[i], row, 2);
        // What the position's orientation setting does to its pictures, which the export applies.
        auto *turn = new QLabel(orientationCaption(oral && codes[i] > 3 ? 0 : codes[i]), parent);
        turn->setEnabled(false);
        grid->addWidget(turn, row, 3);
    }
}

template <std::size_t N> std::array<QString, N> chosenViews(const std::array<QComboBox *, N> &boxes)
{
    std::array<QString, N> views;
    for (std::size_t i = 0; i < N; ++i)
        views[i] = boxes[i]->currentData().toString();
    return views;
}

template <std::size_t N> std::array<int16_t, N> checked(const std::array<QCheckBox *, N> &boxes)
{
    std::array<int16_t, N> flags{};
    for (std::size_t i = 0; i < N; ++i)
        flags[i] = boxes[i]->isChecked() ? 1 : 0;
    return flags;
}

QString nodeProblemText(NodeProblem problem)
{
    switch (problem) {
    case NodeProblem::Port:
        return QStringLiteral("ポート番号は 1 から 65535 の数字で指定して下さい");
    case NodeProblem::CalledAe:
    case NodeProblem::CallingAe:
        return QStringLiteral("AEタイトルは 16 文字以内の半角英数字で指定して下さい");
    default:
        return QStringLiteral("ホスト名を半角で指定して下さい");
    }
}

} // namespace

QString orientationCaption(int16_t code)
{
    switch (code) {
    case 1:
        return QStringLiteral("180度回転");
    case 2:
        return QStringLiteral("左右反転");
    case 3:
        return QStringLiteral("上下反転");
    case 4:
        return QStringLiteral("90度右回転");
    case 5:
        return QStringLiteral("270度回転");
    default:
        return QStringLiteral("無修正");
    }
}

frmDicomSettings::frmDicomSettings(QWidget *owner, QSettings &store, AppSettings &settings)
    : QDialog(owner), store_(store), settings_(settings)
{
    setWindowTitle(QStringLiteral("DICOM設定"));
    const DicomSettings &d = settings.Dicom;

    auto *views = new QGroupBox(QStringLiteral("撮影部位 (DICOMに書く写真の種類)"), this);
    auto *grid = new QGridLayout(views);
    addRows(grid, PanelKind::Oral, d.OralView, d.OralMirror, settings.PictSyori, cboOralView, chkOralMirror,
            views);
    addRows(grid, PanelKind::Face, d.FaceView, d.FaceMirror, settings.FacePictSyori, cboFaceView,
            chkFaceMirror, views);

    auto *node = new QGroupBox(QStringLiteral("送信先 (DICOM送信)"), this);
    auto *form = new QFormLayout(node);
    txtHost = new QLineEdit(d.Host, node);
    txtPort = new QLineEdit(QString::number(d.Port), node);
    txtPort->setValidator(new QIntValidator(1, 65535, txtPort));
    txtCalledAE = new QLineEdit(d.CalledAE, node);
    txtCallingAE = new QLineEdit(d.CallingAE, node);
    for (QLineEdit *title : {txtCalledAE, txtCallingAE})
        title->setMaxLength(16);
    form->addRow(QStringLiteral("ホスト"), txtHost);
    form->addRow(QStringLiteral("ポート"), txtPort);
    form->addRow(QStringLiteral("送信先AEタイトル"), txtCalledAE);
    form->addRow(QStringLiteral("自局AEタイトル"), txtCallingAE);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(views);
    layout->addWidget(node);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmDicomSettings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

DicomSettings frmDicomSettings::currentSettings() const
{
    DicomSettings d = settings_.Dicom;
    d.OralView = chosenViews(cboOralView);
    d.FaceView = chosenViews(cboFaceView);
    d.OralMirror = checked(chkOralMirror);
    d.FaceMirror = checked(chkFaceMirror);
    d.Host = txtHost->text().trimmed();
    bool number = false;
    const int port = txtPort->text().trimmed().toInt(&number);
    d.Port = number ? port : settings_.Dicom.Port;
    d.CalledAE = txtCalledAE->text().trimmed();
    d.CallingAE = txtCallingAE->text().trimmed();
    return d;
}

// An archive is optional; when one is named, all of its values must be usable.
void frmDicomSettings::cmdOK_Click()
{
    const DicomSettings d = currentSettings();
    if (!d.Host.isEmpty()) {
        if (const NodeProblem problem = nodeProblem(dicomNode(d)); problem != NodeProblem::None) {
            showMessage(nodeProblemText(problem));
            return;
        }
    }
    writeDicomSettings(store_, d, settings_);
    accept();
}

} // namespace tolvarine
