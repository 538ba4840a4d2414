#include "dicom/DicomMessages.h"

#include <QFileInfo>

#include "platform/FileSystem.h"

namespace tolvarine {

namespace {

const QString kNewLine = QStringLiteral("\r\n");

QString withSystemText(const QString &text, const Outcome &outcome)
{
    return outcome.error > 0 ? text + QStringLiteral(" (") + systemErrorText(outcome.error) + u')' : text;
}

// Every refused picture by its name, one a line.
QString failureLines(const DicomSummary &summary)
{
    QString lines;
    for (const DicomFailure &failure : summary.failures)
        lines += kNewLine + QFileInfo(failure.path).fileName() + QStringLiteral(": ")
                 + dicomFailureReason(failure.outcome);
    return lines;
}

QString turnedNote(const DicomSummary &summary)
{
    QString note;
    if (summary.turned > 0)
        note += kNewLine + QStringLiteral("向きを直した画像: %1 枚 (画質は変わりません)").arg(summary.turned);
    if (summary.reencoded > 0)
        note +=
            kNewLine
            + QStringLiteral(
                  "向きを直すために圧縮し直した画像: %1 枚 (画像の大きさがJPEGのブロックの倍数でないため)")
                  .arg(summary.reencoded);
    return note;
}

} // namespace

QString dicomFailureReason(const Outcome &outcome)
{
    switch (outcome.status) {
    case Status::Missing:
        return QStringLiteral("ファイルがありません");
    case Status::Unreadable:
        return withSystemText(QStringLiteral("読み取れないか、送信先と通信できません"), outcome);
    case Status::NotJpeg:
        return QStringLiteral("JPEG画像ではありません");
    case Status::Damaged:
        return QStringLiteral("画像が壊れているか、途中で切れています");
    case Status::Refused:
        if (outcome.error > 0)
            return QStringLiteral("送信先が受け付けませんでした (状態 0x%1: %2)")
                .arg(outcome.error, 4, 16, QLatin1Char('0'))
                .arg(outcome.detail);
        return QStringLiteral("DICOMに入れられない種類の画像です (%1)").arg(outcome.detail);
    case Status::NameTaken:
        return QStringLiteral("出力先に同じ名前の別のファイルがあります");
    case Status::ReadOnly:
        return QStringLiteral("読み取り専用です");
    case Status::WriteFailed:
    case Status::FolderMissing:
        return withSystemText(QStringLiteral("書き込めません: ") + outcome.detail, outcome);
    default:
        return QStringLiteral("DICOMにできません: ") + outcome.detail;
    }
}

QString exportSummaryText(const DicomSummary &summary, int total)
{
    if (summary.cancelled)
        return QStringLiteral("DICOM出力を中止しました。フォルダには何も残していません");
    if (!summary.job) {
        QString why;
        switch (summary.job.status) {
        case Status::FolderMissing:
            why = QStringLiteral("出力先のフォルダがありません: ") + summary.job.detail;
            break;
        case Status::Damaged:
            why = QStringLiteral("フォルダにあるDICOMDIRを読み取れません: ") + summary.job.detail;
            break;
        default:
            why = dicomFailureReason(summary.job);
            break;
        }
        return QStringLiteral("DICOM出力に失敗しました。フォルダには何も残していません") + kNewLine + why
               + failureLines(summary);
    }
    QString text = QStringLiteral("DICOM出力が終わりました: %1 枚を書き込みました").arg(summary.done);
    if (summary.skipped > 0)
        text += kNewLine + QStringLiteral("同じものが既にあった画像: %1 枚").arg(summary.skipped);
    text += turnedNote(summary);
    if (!summary.failures.empty())
        text += kNewLine + kNewLine
                + QStringLiteral("次の %1 枚 (全 %2 枚中) は出力できませんでした:")
                      .arg(summary.failures.size())
                      .arg(total)
                + failureLines(summary);
    return text;
}

QString sendSummaryText(const DicomSummary &summary, int total, const DicomNode &node)
{
    const QString where = QStringLiteral("%1 (%2:%3)").arg(node.calledAe, node.host).arg(node.port);
    if (!summary.job) {
        QString why;
        switch (summary.job.status) {
        case Status::Refused:
            why = QStringLiteral("送信先が接続を断りました: ");
            break;
        case Status::Unreadable:
            why = QStringLiteral("送信先に接続できないか、%1 秒以内に応答がありません: ")
                      .arg(node.timeoutSeconds);
            break;
        default:
            why = QStringLiteral("送信できません: ");
            break;
        }
        return QStringLiteral("DICOM送信に失敗しました。1 枚も送信していません") + kNewLine
               + QStringLiteral("送信先 ") + where + kNewLine + why + summary.job.detail;
    }
    QString text = QStringLiteral("%1 に %2 枚を送信しました").arg(where).arg(summary.done);
    if (summary.cancelled)
        text = QStringLiteral("DICOM送信を中止しました。") + text + kNewLine
               + QStringLiteral("送信しなかった画像: %1 枚").arg(summary.skipped);
    text += turnedNote(summary);
    if (!summary.failures.empty())
        text += kNewLine + kNewLine
                + QStringLiteral("次の %1 枚 (全 %2 枚中) は送信できませんでした:")
                      .arg(summary.failures.size())
                      .arg(total)
                + failureLines(summary);
    return text;
}

} // namespace tolvarine
