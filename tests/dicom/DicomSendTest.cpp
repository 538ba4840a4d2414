#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmnet/diutil.h>
#include <dcmtk/dcmnet/scp.h>

#include "DicomTestData.h"
#include "dicom/DicomSend.h"

namespace tolvarine {
namespace {

// A local port nothing listens on at the moment.
int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

DicomNode localNode(int port, const char *calledAe = "ARCHIVE")
{
    DicomNode node;
    node.host = QStringLiteral("127.0.0.1");
    node.port = port;
    node.calledAe = QString::fromLatin1(calledAe);
    node.callingAe = QStringLiteral("TOLVARINE");
    return node;
}

// An Orthanc archive of the test's own: its storage in the sandbox, free local
// ports, no remote access, stopped at the end.
class Orthanc {
public:
    explicit Orthanc(const test::Sandbox &box)
        : http_(freePort()), dicom_(freePort()), log_(box.file(QStringLiteral("orthanc.log")))
    {
        const QString storage = box.mkdir(QStringLiteral("orthanc"));
        const QJsonObject config{{"Name", "TolvarineTest"},      {"StorageDirectory", storage},
                                 {"IndexDirectory", storage},    {"HttpPort", http_},
                                 {"DicomPort", dicom_},          {"DicomAet", "ARCHIVE"},
                                 {"RemoteAccessAllowed", false}, {"AuthenticationEnabled", false},
                                 {"DicomCheckCalledAet", false}, {"Plugins", QJsonArray()}};
        const QString file = box.write(QStringLiteral("orthanc.json"), QJsonDocument(config).toJson());
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setStandardOutputFile(log_);
        process_.start(QString::fromLatin1(kProgram), {file});
    }
    ~Orthanc()
    {
        process_.terminate();
        if (!process_.waitForFinished(20000))
            process_.kill();
        process_.waitForFinished(5000);
    }
    static constexpr const char *kProgram = "/usr/sbin/Orthanc";

    // Empty when it answers on its REST port; otherwise why it does not.
    QString waitUntilReady()
    {
        process_.waitForStarted(10000);
        const bool ready = QTest::qWaitFor(
            [this] {
                return process_.state() != QProcess::Running || !get(QStringLiteral("/system")).isNull();
            },
            30000);
        if (ready && process_.state() == QProcess::Running)
            return QString();
        QFile log(log_);
        log.open(QIODevice::ReadOnly);
        return QStringLiteral("Orthanc did not start (%1, exit %2): ")
                   .arg(process_.errorString())
                   .arg(process_.exitCode())
               + QString::fromLocal8Bit(log.readAll().right(600));
    }

    QJsonDocument get(const QString &path)
    {
        QNetworkReply *reply =
            network_.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(http_).arg(path))));
        const bool answered = QTest::qWaitFor([reply] { return reply->isFinished(); }, 10000);
        const QJsonDocument json = answered && reply->error() == QNetworkReply::NoError
                                       ? QJsonDocument::fromJson(reply->readAll())
                                       : QJsonDocument();
        reply->deleteLater();
        return json;
    }
    int dicomPort() const { return dicom_; }

private:
    int http_;
    int dicom_;
    QString log_;
    QProcess process_;
    QNetworkAccessManager network_;
};

class DicomSend : public ::testing::Test {
protected:
    test::Sandbox box;
    test::VisitStore store{box};
};

TEST_F(DicomSend, FilesAVisitInARealArchiveOnceHoweverOftenItIsSent)
{
    if (!QFileInfo(QString::fromLatin1(Orthanc::kProgram)).isExecutable())
        GTEST_SKIP() << "not sent: " << Orthanc::kProgram << " (Debian package orthanc) is not installed";
    Orthanc archive(box);
    if (const QString why = archive.waitUntilReady(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();

    const DicomPlan plan = store.plan();
    const DicomSummary first = sendToNode(plan, QStringLiteral("テスト歯科"), localNode(archive.dicomPort()));
    ASSERT_TRUE(first.ok()) << first.job.detail.toStdString();
    EXPECT_EQ(first.done, 12);

    const QJsonArray patients = archive.get(QStringLiteral("/patients?expand")).array();
    ASSERT_EQ(patients.size(), 1);
    const QJsonObject patient = patients.at(0).toObject()[QStringLiteral("MainDicomTags")].toObject();
    EXPECT_EQ(patient[QStringLiteral("PatientID")].toString(), QStringLiteral("00123"));
    EXPECT_EQ(patient[QStringLiteral("PatientName")].toString(), QStringLiteral("山田^花子"));
    const QJsonArray studies = archive.get(QStringLiteral("/studies?expand")).array();
    ASSERT_EQ(studies.size(), 1);
    EXPECT_EQ(
        studies.at(0).toObject()[QStringLiteral("MainDicomTags")].toObject()[QStringLiteral("StudyDate")],
        QStringLiteral("20090315"));

    const QJsonArray instances = archive.get(QStringLiteral("/instances")).array();
    ASSERT_EQ(instances.size(), 12);
    QStringList views, expected;
    for (const QJsonValue &id : instances) {
        const QJsonObject tags =
            archive.get(QStringLiteral("/instances/%1/simplified-tags").arg(id.toString())).object();
        const QJsonArray view = tags[QStringLiteral("ViewCodeSequence")].toArray();
        views << tags[QStringLiteral("SeriesNumber")].toString() + u'/'
                     + tags[QStringLiteral("InstanceNumber")].toString() + u' '
                     + (view.isEmpty() ? QString()
                                       : view.at(0).toObject()[QStringLiteral("CodeValue")].toString());
    }
    for (const DicomSource &source : plan.pictures) {
        const DicomView *view = dicomViewById(source.viewId, source.kind);
        expected << QStringLiteral("%1/%2 %3")
                        .arg(source.kind == PanelKind::Oral ? 1 : 2)
                        .arg(source.position + 1)
                        .arg(view ? QString::fromLatin1(view->view.value) : QString());
    }
    views.sort();
    expected.sort();
    EXPECT_EQ(views, expected);

    const DicomSummary second =
        sendToNode(plan, QStringLiteral("テスト歯科"), localNode(archive.dicomPort()));
    ASSERT_TRUE(second.ok()) << second.job.detail.toStdString();
    EXPECT_EQ(archive.get(QStringLiteral("/instances")).array().size(), 12);
    EXPECT_EQ(archive.get(QStringLiteral("/studies")).array().size(), 1);
}

// An archive that refuses the pictures numbered refused (answers none when it is
// "*"), and any association not called by its AE title; it serves until told to stop.
class RefusingArchive : public DcmSCP {
public:
    RefusingArchive(int port, const char *refused) : refused_(refused)
    {
        setPort(Uint16(port));
        setAETitle("ARCHIVE");
        setRespondWithCalledAETitle(OFFalse);
        OFList<OFString> syntaxes;
        syntaxes.push_back(UID_JPEGProcess1TransferSyntax);
        addPresentationContext(UID_VLPhotographicImageStorage, syntaxes);
        setConnectionBlockingMode(DUL_NOBLOCK);
        setConnectionTimeout(1);
    }
    std::atomic<bool> stop{false};
    std::atomic<int> stored{0};

protected:
    OFCondition handleIncomingCommand(T_DIMSE_Message *message,
                                      const DcmPresentationContextInfo &info) override
    {
        if (message->CommandField != DIMSE_C_STORE_RQ)
            return DcmSCP::handleIncomingCommand(message, info);
        T_DIMSE_C_StoreRQ &request = message->msg.CStoreRQ;
        DcmDataset *dataset = nullptr;
        OFCondition received = receiveSTORERequest(request, info.presentationContextID, dataset);
        if (received.bad())
            return received;
        OFString number;
        dataset->findAndGetOFString(DCM_InstanceNumber, number);
        delete dataset;
        // An archive that hangs: the picture is taken and never answered.
        if (refused_ == "*")
            return EC_Normal;
        const bool refuse = number == refused_;
        stored += refuse ? 0 : 1;
        return sendSTOREResponse(info.presentationContextID, request,
                                 refuse ? STATUS_STORE_Refused_OutOfResources : STATUS_Success);
    }
    OFBool checkCalledAETitleAccepted(const OFString &calledAE) override { return calledAE == "ARCHIVE"; }
    OFBool stopAfterConnectionTimeout() override { return stop; }
    OFBool stopAfterCurrentAssociation() override { return stop; }

private:
    OFString refused_;
};

class ServedBy {
public:
    // The port is open before the archive is asked to serve, so no sender finds it closed.
    explicit ServedBy(RefusingArchive &archive)
        : archive_(archive), open_(archive.openListenPort().good()),
          thread_([&archive] { archive.acceptAssociations(); })
    {}
    bool open() const { return open_; }
    ~ServedBy()
    {
        archive_.stop = true;
        thread_.join();
    }

private:
    RefusingArchive &archive_;
    bool open_;
    std::thread thread_;
};

TEST_F(DicomSend, TellsEachRefusedPictureAndCountsOnlyWhatWasStored)
{
    const int port = freePort();
    RefusingArchive archive(port, "3");
    ServedBy serving(archive);
    ASSERT_TRUE(serving.open());
    const DicomPlan plan = store.plan();
    const DicomSummary summary = sendToNode(plan, QString(), localNode(port));
    EXPECT_TRUE(summary.job) << summary.job.detail.toStdString();
    EXPECT_EQ(summary.done, archive.stored.load());
    EXPECT_EQ(summary.done, 10);
    QStringList refused;
    for (const DicomFailure &failure : summary.failures) {
        EXPECT_EQ(failure.outcome.status, Status::Refused);
        EXPECT_EQ(failure.outcome.error, STATUS_STORE_Refused_OutOfResources);
        refused << failure.path;
    }
    // Position 2 of each panel is instance 3.
    EXPECT_EQ(refused, (QStringList{store.oral.at(2), store.face.at(2)}));
}

struct NodeFault {
    const char *name;
    Status status;
};

class UnusableNode : public DicomSend, public ::testing::WithParamInterface<NodeFault> {};

// A node that refuses us, answers nothing or is not there: nothing counts as sent,
// and the run ends within the node's timeout with the reason.
TEST_P(UnusableNode, SendsNothingAndSaysWhyInTime)
{
    const std::string fault = GetParam().name;
    const int port = freePort();
    RefusingArchive archive(port, fault == "stops answering" ? "*" : "");
    QTcpServer silent;
    std::unique_ptr<ServedBy> serving;
    DicomNode node = localNode(port);
    node.timeoutSeconds = 2;
    if (fault == "wrong AE title" || fault == "stops answering") {
        serving = std::make_unique<ServedBy>(archive);
        if (fault == "wrong AE title")
            node.calledAe = QStringLiteral("ELSEWHERE");
    } else if (fault == "no answer") {
        ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, quint16(port)));
    }
    QElapsedTimer timer;
    timer.start();
    const DicomSummary summary = sendToNode(store.plan(), QString(), node);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(summary.job.status, GetParam().status) << summary.job.detail.toStdString();
    EXPECT_FALSE((summary.job.ok() ? summary.failures.front().outcome : summary.job).detail.isEmpty());
    EXPECT_EQ(summary.done, 0);
    EXPECT_EQ(summary.failed(12), 12);
    EXPECT_EQ(archive.stored.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Nodes, UnusableNode,
                         ::testing::Values(NodeFault{"nothing listening", Status::Unreadable},
                                           NodeFault{"no answer", Status::Unreadable},
                                           NodeFault{"wrong AE title", Status::Refused},
                                           NodeFault{"stops answering", Status::Done}),
                         test::namedBy([](const NodeFault &f) { return f.name; }));

} // namespace
} // namespace tolvarine
