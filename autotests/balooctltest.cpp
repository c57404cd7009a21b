/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "balooctl.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QString realReport = QStringLiteral(
    "Baloo File Indexer is running\n"
    "Indexer state: Idle\n"
    "Total files indexed: 200\n"
    "Files waiting for content indexing: 50\n"
    "Files failed to index: 0\n"
    "Current size of index is 76.00 KiB\n");

// Records each call as "<arguments>|LANG=<value>" and answers as NIMBTEST_BALOOCTL_MODE says.
const QByteArray standInScript = R"(#!/bin/sh
printf '%s|LANG=%s\n' "$*" "${LANG-<unset>}" >> "$NIMBTEST_BALOOCTL_RECORD"
[ "$1" = status ] || exit 0
case "$NIMBTEST_BALOOCTL_MODE" in
report) cat "$NIMBTEST_BALOOCTL_REPORT" ;;
fail) cat "$NIMBTEST_BALOOCTL_REPORT"; exit 1 ;;
crash) cat "$NIMBTEST_BALOOCTL_REPORT"; kill -SEGV $$ ;;
slow) cat "$NIMBTEST_BALOOCTL_REPORT"; exec sleep 30 ;;
flood) cat "$NIMBTEST_BALOOCTL_REPORT"; head -c 1000000 /dev/zero | tr '\0' 'x' ;;
noise) head -c 1000000 /dev/zero | tr '\0' 'x' >&2; cat "$NIMBTEST_BALOOCTL_REPORT" ;;
esac
exit 0
)";
}

// The indexer's D-Bus service, as far as updateConfig() needs it.
class FakeBalooService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.baloo")

public:
    int updateConfigCalls = 0;

public Q_SLOTS:
    Q_SCRIPTABLE void updateConfig()
    {
        ++updateConfigCalls;
    }
};

class BalooCtlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void progressFromStatus_data();
    void progressFromStatus();
    void progress_data();
    void progress();
    void progressRunsStatusInTheCLocale();
    void progressWithoutTool();
    void subCommand_data();
    void subCommand();
    void updateConfig();

private:
    QStringList records() const;
    void writeReport(const QString &report);

    QTemporaryDir m_dir;
    QString m_record;
    QString m_report;
    QByteArray m_path;
    QProcess m_bus;
};

void BalooCtlTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    TestSupport::writeFile(bin + QStringLiteral("/balooctl"), standInScript);
    QVERIFY(QFile::setPermissions(bin + QStringLiteral("/balooctl"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

    m_path = QFile::encodeName(bin) + ':' + qgetenv("PATH");
    qputenv("PATH", m_path);
    m_record = m_dir.filePath(QStringLiteral("record"));
    m_report = m_dir.filePath(QStringLiteral("report"));
    qputenv("NIMBTEST_BALOOCTL_RECORD", QFile::encodeName(m_record));
    qputenv("NIMBTEST_BALOOCTL_REPORT", QFile::encodeName(m_report));

    // A private session bus for updateConfig(), set before anything asks for the session bus.
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (!daemon.isEmpty()) {
        m_bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (m_bus.waitForReadyRead(10000)) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        }
    }
}

void BalooCtlTest::init()
{
    QFile::remove(m_record);
    qputenv("PATH", m_path);
    qputenv("NIMBTEST_BALOOCTL_MODE", "report");
    writeReport(realReport);
}

void BalooCtlTest::cleanupTestCase()
{
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.kill();
        m_bus.waitForFinished();
    }
}

QStringList BalooCtlTest::records() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void BalooCtlTest::writeReport(const QString &report)
{
    TestSupport::writeFile(m_report, report);
}

void BalooCtlTest::progressFromStatus_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("progress");

    QTest::addRow("200 indexed, 50 waiting") << realReport << 75;
    QTest::addRow("3 indexed, 1 waiting") << QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 1\n") << 66;
    QTest::addRow("3 indexed, 2 waiting") << QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 2\n") << 33;
    QTest::addRow("nothing waiting") << QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 0\n") << 100;
    QTest::addRow("everything waiting") << QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 3\n") << 0;
    QTest::addRow("waiting line first") << QStringLiteral("Files waiting for content indexing: 1\nTotal files indexed: 4\n") << 75;
    QTest::addRow("without the waiting line") << QStringLiteral("Total files indexed: 200\nFiles failed to index: 0\n") << 100;
    QTest::addRow("without the total line") << QStringLiteral("Files waiting for content indexing: 50\n") << 100;
    QTest::addRow("empty report") << QString() << 100;
    QTest::addRow("not running") << QStringLiteral("Baloo File Indexer is not running\n") << 100;
    QTest::addRow("no files indexed") << QStringLiteral("Total files indexed: 0\nFiles waiting for content indexing: 0\n") << 100;
    QTest::addRow("last total line counts") << QStringLiteral("Total files indexed: 10\nTotal files indexed: 200\nFiles waiting for content indexing: 50\n")
                                            << 75;
    QTest::addRow("last waiting line counts") << QStringLiteral(
        "Total files indexed: 200\nFiles waiting for content indexing: 150\nFiles waiting for content indexing: 50\n")
                                              << 75;
    QTest::addRow("line matched anywhere") << QStringLiteral("  * Total files indexed: 200\n> Files waiting for content indexing: 50\n") << 75;
    QTest::addRow("tabs between the words of the total") << QStringLiteral("Total\tfiles\t\tindexed:\t200\nFiles waiting for content indexing: 50\n") << 75;
    QTest::addRow("two spaces inside the waiting words") << QStringLiteral("Total files indexed: 200\nFiles waiting  for content indexing: 50\n") << 100;
    QTest::addRow("lower-case total") << QStringLiteral("total files indexed: 200\nFiles waiting for content indexing: 50\n") << 100;
    QTest::addRow("carriage returns") << QStringLiteral("Total files indexed: 200\r\nFiles waiting for content indexing: 50\r\n") << 75;
    QTest::addRow("total with a group separator") << QStringLiteral("Total files indexed: 2,000\nFiles waiting for content indexing: 500\n") << 75;
    QTest::addRow("total not a number") << QStringLiteral("Total files indexed: many\nFiles waiting for content indexing: 50\n") << 100;
    QTest::addRow("waiting not a number") << QStringLiteral("Total files indexed: 200\nFiles waiting for content indexing: 5O\n") << 100;
    QTest::addRow("trailing words after the count") << QStringLiteral("Total files indexed: 200 files\nFiles waiting for content indexing: 50\n") << 100;
    QTest::addRow("total beyond 32 bits") << QStringLiteral("Total files indexed: 99999999999\nFiles waiting for content indexing: 50\n") << 100;
    QTest::addRow("largest total") << QStringLiteral("Total files indexed: 2147483647\nFiles waiting for content indexing: 1\n") << 99;
    QTest::addRow("more waiting than indexed") << QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 4\n") << 0;
    QTest::addRow("far more waiting than indexed") << QStringLiteral("Total files indexed: 1\nFiles waiting for content indexing: 2147483647\n") << 0;
    QTest::addRow("negative waiting") << QStringLiteral("Total files indexed: 1\nFiles waiting for content indexing: -2147483647\n") << 100;
    QTest::addRow("negative total") << QStringLiteral("Total files indexed: -3\nFiles waiting for content indexing: 1\n") << 100;
    QTest::addRow("translated report") << QStringLiteral("Dateien im Index: 200\nDateien, die auf Inhaltsindizierung warten: 50\n") << 100;
}

void BalooCtlTest::progressFromStatus()
{
    QFETCH(QString, report);
    QFETCH(int, progress);

    QCOMPARE(BalooCtl::progressFromStatus(report), progress);
}

void BalooCtlTest::progress_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("progress");

    QTest::addRow("report") << QByteArray("report") << 75;
    QTest::addRow("report on a flood of warnings") << QByteArray("noise") << 75;
    QTest::addRow("report but exit code 1") << QByteArray("fail") << 100;
    QTest::addRow("report then crash") << QByteArray("crash") << 100;
    QTest::addRow("report then no end in time") << QByteArray("slow") << 100;
    QTest::addRow("report then a flood of output") << QByteArray("flood") << 100;
}

void BalooCtlTest::progress()
{
    QFETCH(QByteArray, mode);
    QFETCH(int, progress);

    qputenv("NIMBTEST_BALOOCTL_MODE", mode);
    BalooCtl ctl;
    QCOMPARE(ctl.progress(), progress);
    QCOMPARE(records(), QStringList{QStringLiteral("status|LANG=C")});
}

void BalooCtlTest::progressRunsStatusInTheCLocale()
{
    qputenv("LANG", "de_DE.UTF-8");
    writeReport(QStringLiteral("Total files indexed: 3\nFiles waiting for content indexing: 2\n"));
    BalooCtl ctl;
    QCOMPARE(ctl.progress(), 33);
    QCOMPARE(ctl.progress(), 33);
    QCOMPARE(records(), (QStringList{QStringLiteral("status|LANG=C"), QStringLiteral("status|LANG=C")}));
    QCOMPARE(qgetenv("LANG"), QByteArray("de_DE.UTF-8"));
}

void BalooCtlTest::progressWithoutTool()
{
    qputenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("nowhere"))));
    BalooCtl ctl;
    QCOMPARE(ctl.progress(), 100);
    QCOMPARE(records(), QStringList());
}

void BalooCtlTest::subCommand_data()
{
    QTest::addColumn<QString>("command");

    QTest::addRow("enable") << QStringLiteral("enable");
    QTest::addRow("disable") << QStringLiteral("disable");
    QTest::addRow("suspend") << QStringLiteral("suspend");
    QTest::addRow("resume") << QStringLiteral("resume");
    QTest::addRow("purge") << QStringLiteral("purge");
}

void BalooCtlTest::subCommand()
{
    QFETCH(QString, command);

    // The caller's environment goes to the tool unchanged.
    qputenv("LANG", "de_DE.UTF-8");
    BalooCtl ctl;
    const QHash<QString, void (BalooCtl::*)()> operations = {
        {QStringLiteral("enable"), &BalooCtl::enable},
        {QStringLiteral("disable"), &BalooCtl::disable},
        {QStringLiteral("suspend"), &BalooCtl::suspend},
        {QStringLiteral("resume"), &BalooCtl::resume},
        {QStringLiteral("purge"), &BalooCtl::purge},
    };
    (ctl.*operations.value(command))();

    QTRY_COMPARE_WITH_TIMEOUT(records(), QStringList{command + QStringLiteral("|LANG=de_DE.UTF-8")}, 10000);
}

void BalooCtlTest::updateConfig()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || !QDBusConnection::sessionBus().isConnected()) {
        QSKIP("no private session bus: dbus-daemon could not be started");
    }
    BalooCtl ctl;
    // Without the service the call goes nowhere, and does not wait.
    ctl.updateConfig();

    FakeBalooService service;
    QDBusConnection connection = QDBusConnection::connectToBus(QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("nimbtest-fake-baloo"));
    QVERIFY(connection.isConnected());
    QVERIFY(connection.registerObject(QStringLiteral("/"), &service, QDBusConnection::ExportScriptableSlots));
    QVERIFY(connection.registerService(QStringLiteral("org.kde.baloo")));
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.kde.baloo")), 10000);
    QCOMPARE(service.updateConfigCalls, 0);

    ctl.updateConfig();
    QTRY_COMPARE_WITH_TIMEOUT(service.updateConfigCalls, 1, 10000);
    ctl.updateConfig();
    QTRY_COMPARE_WITH_TIMEOUT(service.updateConfigCalls, 2, 10000);

    connection.unregisterService(QStringLiteral("org.kde.baloo"));
    connection.unregisterObject(QStringLiteral("/"));
    QDBusConnection::disconnectFromBus(QStringLiteral("nimbtest-fake-baloo"));
}

QTEST_GUILESS_MAIN(BalooCtlTest)

#include "balooctltest.moc"
