#include "dicom/DicomCommand.h"

#include <unistd.h>

#include <QCommandLineParser>
#include <QDate>

#include "dicom/DicomExport.h"
#include "dicom/DicomSend.h"
#include "platform/FileSystem.h"
#include "platform/NumberText.h"
#include "settings/AppSettings.h"
#include "settings/ClinicIni.h"
#include "store/PatientNumber.h"
#include "store/StoreNames.h"

namespace tolvarine {

const char kDicomCommandHelp[] =
    "usage: tolvarine-dicom export --out DIR [--patient N [--date DATE]] [options]\n"
    "       tolvarine-dicom send [--patient N [--date DATE]] [options]\n"
    "\n"
    "Writes the pictures of the store as DICOM files with a DICOMDIR into a folder\n"
    "(export), or sends them to a DICOM archive by C-STORE (send), exactly as the\n"
    "program's menu entries DICOM出力 and DICOM送信 do for the shown visit: each visit\n"
    "as its two panels show it, the JPEG data unchanged (turned without re-encoding\n"
    "where a position's orientation code turns it), the views and mirror marks of the\n"
    "positions from the DICOM settings, identifiers that stay the same from one run\n"
    "to the next.\n"
    "\n"
    "What goes:\n"
    "  (nothing)           every patient of the store\n"
    "  --patient N         one patient (123 or 00123)\n"
    "  --date DATE         with --patient: only the visit of that day (2009/03/15,\n"
    "                      2009-03-15 or 20090315)\n"
    "\n"
    "Options:\n"
    "  --out DIR           export: the folder to write into (it must exist)\n"
    "  --add               export: add the pictures to the DICOMDIR the folder already\n"
    "                      holds; without it such a folder is left untouched\n"
    "  --store DIR         the picture folder (default: the program's setting)\n"
    "  --host HOST         send: the archive's host (default: the DICOM settings)\n"
    "  --port PORT         send: its port\n"
    "  --aec TITLE         send: its AE title\n"
    "  --aet TITLE         send: our AE title\n"
    "  --timeout SECONDS   send: how long to wait for the archive (default 30)\n"
    "  -h, --help          this text\n"
    "\n"
    "The settings are the program's own (~/.config/Tolvarine/Tolvarine.ini): shooting\n"
    "orders, orientation codes, dating, the DICOM views and the archive. The clinic's\n"
    "name, the institution of every picture, comes from clinic.ini beside the program.\n"
    "\n"
    "A progress line goes to standard error, one line per failed picture with its\n"
    "reason too; the summary goes to standard output:\n"
    "  written 12, skipped 0, failed 0\n"
    "Exit status: 0 when every picture went, 1 when a picture or the run failed, 2 for\n"
    "a command line that cannot be used.\n";

namespace {

QString statusWords(Status status)
{
    switch (status) {
    case Status::Missing:
        return QStringLiteral("not found");
    case Status::IsFolder:
        return QStringLiteral("a folder, not a file");
    case Status::Unreadable:
        return QStringLiteral("cannot be read or reached");
    case Status::ReadOnly:
        return QStringLiteral("read-only");
    case Status::FolderMissing:
        return QStringLiteral("no such folder");
    case Status::WriteFailed:
        return QStringLiteral("cannot be written");
    case Status::NameTaken:
        return QStringLiteral("another file has the name");
    case Status::NotJpeg:
        return QStringLiteral("not a JPEG picture");
    case Status::Damaged:
        return QStringLiteral("damaged or cut short");
    case Status::Refused:
        return QStringLiteral("refused");
    case Status::Cancelled:
        return QStringLiteral("cancelled");
    case Status::Invalid:
        return QStringLiteral("invalid");
    default:
        return QStringLiteral("failed");
    }
}

void print(std::FILE *file, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), file);
    std::fflush(file);
}

std::optional<QString> visitDateArgument(const QString &text)
{
    for (const char *format : {"yyyy/MM/dd", "yyyy-MM-dd", "yyyyMMdd"}) {
        const QDate date = QDate::fromString(text, QLatin1String(format));
        if (date.isValid())
            return visitDateText(date);
    }
    if (const std::optional<QDate> date = parseVisitDate(text))
        return visitDateText(*date);
    return std::nullopt;
}

QString nodeProblemWords(NodeProblem problem)
{
    switch (problem) {
    case NodeProblem::Host:
        return QStringLiteral("no usable archive host (--host, or the DICOM settings)");
    case NodeProblem::Port:
        return QStringLiteral("the port must be 1 to 65535");
    case NodeProblem::CalledAe:
        return QStringLiteral("the archive's AE title must be 1 to 16 ASCII characters (--aec)");
    case NodeProblem::CallingAe:
        return QStringLiteral("our AE title must be 1 to 16 ASCII characters (--aet)");
    default:
        return QString();
    }
}

} // namespace

QString outcomeWords(const Outcome &outcome)
{
    QString words = statusWords(outcome.status);
    if (outcome.status == Status::Refused && outcome.error > 0)
        words += QStringLiteral(" (status 0x%1)").arg(outcome.error, 4, 16, QLatin1Char('0'));
    if (!outcome.detail.isEmpty())
        words += QStringLiteral(": ") + outcome.detail;
    if (outcome.error > 0 && outcome.status != Status::Refused)
        words += QStringLiteral(" (") + systemErrorText(outcome.error) + u')';
    return words;
}

int runDicomCommand(const QStringList &arguments, QSettings &store, const ProgramFolders &folders,
                    std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption outOption(QStringLiteral("out"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption add(QStringLiteral("add"));
    const QCommandLineOption patient(QStringLiteral("patient"), QString(), QStringLiteral("N"));
    const QCommandLineOption date(QStringLiteral("date"), QString(), QStringLiteral("DATE"));
    const QCommandLineOption storeOption(QStringLiteral("store"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption host(QStringLiteral("host"), QString(), QStringLiteral("HOST"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption aec(QStringLiteral("aec"), QString(), QStringLiteral("TITLE"));
    const QCommandLineOption aet(QStringLiteral("aet"), QString(), QStringLiteral("TITLE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS"));
    parser.addOptions({help, outOption, add, patient, date, storeOption, host, port, aec, aet, timeout});
    auto usage = [&](const QString &problem) {
        print(err, QStringLiteral("tolvarine-dicom: ") + problem + QStringLiteral("\n\n")
                       + QString::fromUtf8(kDicomCommandHelp));
        return 2;
    };
    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        print(out, QString::fromUtf8(kDicomCommandHelp));
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || (positional.first() != u"export" && positional.first() != u"send"))
        return usage(QStringLiteral("say export or send"));
    const bool exporting = positional.first() == u"export";
    if (exporting && !parser.isSet(outOption))
        return usage(QStringLiteral("export needs --out DIR"));
    if (parser.isSet(date) && !parser.isSet(patient))
        return usage(QStringLiteral("--date needs --patient"));

    AppSettings settings = loadAppSettings(store, folders.pictures);
    if (parser.isSet(storeOption))
        settings.PictFolda = parser.value(storeOption);
    const std::optional<ClinicIni> ini = readClinicIni(folders.admin);
    const QString clinic = ini && ini->ClinicName != QLatin1String("Err") ? ini->ClinicName : QString();

    DicomPlan plan;
    Outcome planned;
    if (parser.isSet(patient)) {
        const PatientLookupResult found = lookUpPatient(parser.value(patient), settings.PictFolda);
        if (found.outcome == PatientLookup::NotNumeric || found.outcome == PatientLookup::Invalid)
            return usage(QStringLiteral("not a patient number: ") + parser.value(patient));
        QString visit;
        if (parser.isSet(date)) {
            const std::optional<QString> day = visitDateArgument(parser.value(date));
            if (!day)
                return usage(QStringLiteral("not a date: ") + parser.value(date));
            visit = *day;
        }
        planned = patientPlan(settings.PictFolda, found.krNo, visit, settings, plan);
    } else {
        planned = storePlan(settings.PictFolda, settings, plan);
    }
    if (!planned) {
        print(err, QStringLiteral("tolvarine-dicom: nothing to do: ") + outcomeWords(planned) + u'\n');
        return 1;
    }

    DicomNode node = dicomNode(settings.Dicom);
    if (!exporting) {
        bool ok = true;
        if (parser.isSet(host))
            node.host = parser.value(host);
        if (parser.isSet(port))
            node.port = parser.value(port).toInt(&ok);
        if (!ok)
            return usage(QStringLiteral("not a port: ") + parser.value(port));
        if (parser.isSet(aec))
            node.calledAe = parser.value(aec);
        if (parser.isSet(aet))
            node.callingAe = parser.value(aet);
        if (parser.isSet(timeout))
            node.timeoutSeconds = parser.value(timeout).toInt(&ok);
        if (!ok || node.timeoutSeconds < 1)
            return usage(QStringLiteral("--timeout wants a number of seconds"));
        if (const NodeProblem problem = nodeProblem(node); problem != NodeProblem::None)
            return usage(nodeProblemWords(problem));
    }

    const bool terminal = isatty(fileno(err));
    const DicomProgress progress = [&](int done, int total, const QString &picture) {
        const QString line = QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(picture);
        print(err, terminal ? QStringLiteral("\r\033[K") + line : line + u'\n');
        return true;
    };
    const DicomSummary summary =
        exporting
            ? exportToFolder(plan, clinic, parser.value(outOption),
                             parser.isSet(add) ? ExistingDicomDir::AddTo : ExistingDicomDir::Refuse, progress)
            : sendToNode(plan, clinic, node, progress);
    if (terminal && !plan.pictures.empty())
        print(err, QStringLiteral("\n"));

    for (const DicomFailure &failure : summary.failures)
        print(err, QStringLiteral("failed: ") + failure.path + QStringLiteral(": ")
                       + outcomeWords(failure.outcome) + u'\n');
    if (!summary.job) {
        QString why = outcomeWords(summary.job);
        if (exporting && summary.job.status == Status::NameTaken
            && summary.job.detail.endsWith(u"DICOMDIR", Qt::CaseInsensitive))
            why = QStringLiteral("the folder holds a DICOMDIR already (") + summary.job.detail
                  + QStringLiteral("); --add adds the pictures to it");
        print(err, QStringLiteral("tolvarine-dicom: ")
                       + (exporting ? QStringLiteral("nothing written: ") : QStringLiteral("nothing sent: "))
                       + why + u'\n');
    }
    QString line = QStringLiteral("%1 %2, skipped %3, failed %4")
                       .arg(exporting ? QStringLiteral("written") : QStringLiteral("sent"))
                       .arg(summary.done)
                       .arg(summary.skipped)
                       .arg(summary.failed(int(plan.pictures.size())));
    if (summary.turned || summary.reencoded)
        line += QStringLiteral(" (turned: %1 without re-encoding, %2 re-encoded)")
                    .arg(summary.turned)
                    .arg(summary.reencoded);
    if (plan.notShown)
        line += QStringLiteral("; %1 picture(s) on no panel position left out").arg(plan.notShown);
    print(out, line + u'\n');
    return summary.ok() ? 0 : 1;
}

} // namespace tolvarine
