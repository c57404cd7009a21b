/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "balooctl.h"
#include "logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDeadlineTimer>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

#include <cmath>

namespace
{
const QString balooctlProgram = QStringLiteral("balooctl");

constexpr int statusTimeoutMs = 500;
// A status report is a handful of short lines; anything larger is not one, and is not kept.
constexpr qint64 maxStatusBytes = 64 * 1024;
constexpr int unknownProgress = 100;

void startBalooctl(const QString &command)
{
    if (!QProcess::startDetached(balooctlProgram, {command})) {
        qCDebug(LOG_GENERAL) << "could not start" << balooctlProgram << command;
    }
}

// Runs "balooctl status" within the time limit; false when it did not give a usable report.
bool readStatusReport(QByteArray &report)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));

    QProcess process;
    process.setProcessEnvironment(environment);
    // Nobody reads the tool's warnings: do not buffer them.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(balooctlProgram, {QStringLiteral("status")}, QIODevice::ReadWrite);

    // Read while waiting, so that a tool that floods its output cannot fill our memory.
    const QDeadlineTimer deadline(statusTimeoutMs);
    bool tooLarge = false;
    const auto collect = [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        if (report.size() + chunk.size() > maxStatusBytes) {
            tooLarge = true;
        } else {
            report.append(chunk);
        }
    };
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process.waitForReadyRead(int(deadline.remainingTime()));
        collect();
    }
    collect();

    if (process.state() != QProcess::NotRunning) {
        qCDebug(LOG_GENERAL) << balooctlProgram << "status did not finish in" << statusTimeoutMs << "ms";
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || process.error() == QProcess::FailedToStart) {
        qCDebug(LOG_GENERAL) << balooctlProgram << "status failed:" << process.errorString() << "exit code" << process.exitCode();
        return false;
    }
    if (tooLarge) {
        qCDebug(LOG_GENERAL) << balooctlProgram << "status printed more than" << maxStatusBytes << "bytes";
        return false;
    }
    return true;
}
}

BalooCtl::BalooCtl(QObject *parent)
    : QObject(parent)
{
}

BalooCtl::~BalooCtl() = default;

void BalooCtl::enable()
{
    startBalooctl(QStringLiteral("enable"));
}

void BalooCtl::disable()
{
    startBalooctl(QStringLiteral("disable"));
}

void BalooCtl::suspend()
{
    startBalooctl(QStringLiteral("suspend"));
}

void BalooCtl::resume()
{
    startBalooctl(QStringLiteral("resume"));
}

void BalooCtl::purge()
{
    startBalooctl(QStringLiteral("purge"));
}

void BalooCtl::updateConfig()
{
    // A plain message rather than a QDBusInterface: the interface would introspect the service
    // synchronously, blocking the caller for as long as the indexer is slow to answer.
    const QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("org.kde.baloo"), QStringLiteral("/"), QStringLiteral("org.kde.baloo"), QStringLiteral("updateConfig"));
    QDBusConnection::sessionBus().asyncCall(message);
}

int BalooCtl::progress()
{
    QByteArray report;
    if (!readStatusReport(report)) {
        return unknownProgress;
    }
    return progressFromStatus(QString::fromUtf8(report));
}

int BalooCtl::progressFromStatus(const QString &statusReport)
{
    static const QRegularExpression totalPattern(QStringLiteral("Total\\s+files\\s+indexed:\\s+(.*)"));
    static const QRegularExpression waitingPattern(QStringLiteral("Files\\s+waiting\\sfor\\scontent\\sindexing:\\s(.*)"));
    static const QLocale cLocale(QLocale::C);

    QString totalText;
    QString waitingText;
    const QVector<QStringRef> lines = statusReport.splitRef(QLatin1Char('\n'));
    for (const QStringRef &line : lines) {
        const QRegularExpressionMatch total = totalPattern.match(line);
        if (total.hasMatch()) {
            totalText = total.captured(1);
        }
        const QRegularExpressionMatch waiting = waitingPattern.match(line);
        if (waiting.hasMatch()) {
            waitingText = waiting.captured(1);
        }
    }

    bool totalOk = false;
    bool waitingOk = false;
    const int total = cLocale.toInt(totalText, &totalOk);
    const int waiting = cLocale.toInt(waitingText, &waitingOk);
    // Counts of files are never negative; such a report is as good as none.
    if (!totalOk || !waitingOk || total <= 0 || waiting < 0) {
        return unknownProgress;
    }
    const double percentage = std::floor((double(total) - double(waiting)) / double(total) * 100.0);
    // More files waiting than indexed would be a negative share: nothing of the content is done.
    return percentage < 0 ? 0 : int(percentage);
}
