/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "updatestate.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

#include <sys/stat.h>
#include <sys/types.h>

using TalvoUpdateState::UpdateState;

using TestSupport::writeFile;

namespace
{
const QString serviceName = QStringLiteral("quorvex.nimb.talvoupdateservice");
const QString servicePath = QStringLiteral("/quorvex/nimb/talvoupdateservice");
const QString serviceConnectionName = QStringLiteral("UpdateStateTest service");

// More than the reader looks at, so that what lies beyond it is known to be ignored.
constexpr int beyondReadLimit = 64 * 1024 + 1;

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.append(char(i));
    }
    return bytes;
}

QByteArray busConfig(const QString &socketDir)
{
    return QByteArrayLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>system</type>\n"
               "  <listen>unix:dir=")
        + QFile::encodeName(socketDir)
        + QByteArrayLiteral(
               "</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n");
}
}

// Stands in for the update service: counts the activations it is asked for.
class UpdateServiceStub : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "quorvex.nimb.talvoupdateservice")

public:
    int activations() const
    {
        return m_activations.load();
    }

public Q_SLOTS:
    void enableAndStartActivatingService()
    {
        ++m_activations;
    }

private:
    // Counted in the service's thread, read in the test's.
    std::atomic<int> m_activations{0};
};

class UpdateStateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void fileNames();
    void currentState_data();
    void currentState();
    void stateIsReadAfresh();
    void unusualFiles_data();
    void unusualFiles();
    void unreadableFile();
    void updateFunctions_data();
    void updateFunctions();
    void activateAvailableUpdate();
    void activationNeverHangs();

private:
    void startPrivateBus();
    QString minorFile() const;
    QString majorFile() const;

    QTemporaryDir m_tempDir;
    QString m_root;
    QProcess m_busDaemon;
    QString m_busAddress;
};

void UpdateStateTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
    m_root = StartMenuUtils::systemRoot();
    QVERIFY(QDir().mkpath(m_root));

    // Before anything asks for the system bus: Qt connects to it once per process.
    startPrivateBus();
    if (QTest::currentTestFailed()) {
        return;
    }
    const QString busAddress = m_busAddress.isEmpty() ? QStringLiteral("unix:path=") + m_tempDir.filePath(QStringLiteral("no-bus")) : m_busAddress;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress.toUtf8());
}

void UpdateStateTest::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(serviceConnectionName);
    if (m_busDaemon.state() != QProcess::NotRunning) {
        m_busDaemon.kill();
        m_busDaemon.waitForFinished();
    }
}

void UpdateStateTest::init()
{
    QDir(m_root + QStringLiteral("/var")).removeRecursively();
}

void UpdateStateTest::startPrivateBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        return;
    }
    const QString socketDir = m_tempDir.filePath(QStringLiteral("bus"));
    const QString config = m_tempDir.filePath(QStringLiteral("bus.conf"));
    QVERIFY(QDir().mkpath(socketDir));
    writeFile(config, busConfig(socketDir));

    const QString busLog = m_tempDir.filePath(QStringLiteral("bus.log"));
    m_busDaemon.setStandardErrorFile(busLog);
    m_busDaemon.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    QVERIFY2(m_busDaemon.waitForStarted(), qPrintable(m_busDaemon.errorString()));
    while (!m_busDaemon.canReadLine() && m_busDaemon.waitForReadyRead()) { }
    m_busAddress = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
    if (m_busAddress.isEmpty()) {
        QFile log(busLog);
        log.open(QIODevice::ReadOnly);
        QFAIL(qPrintable(QStringLiteral("dbus-daemon did not print its address: ") + QString::fromUtf8(log.readAll())));
    }
}

QString UpdateStateTest::minorFile() const
{
    return StartMenuUtils::systemPath(UpdateState::MINOR_FILE);
}

QString UpdateStateTest::majorFile() const
{
    return StartMenuUtils::systemPath(UpdateState::MAJOR_FILE);
}

void UpdateStateTest::fileNames()
{
    QCOMPARE(UpdateState::MINOR_FILE, QStringLiteral("/var/cache/talvo-update-service/status"));
    QCOMPARE(UpdateState::MAJOR_FILE, QStringLiteral("/var/cache/talvo-upgrade/upgrade.report.yaml"));
    QCOMPARE(minorFile(), m_root + QStringLiteral("/var/cache/talvo-update-service/status"));
}

// A null content means that the file does not exist.
void UpdateStateTest::currentState_data()
{
    QTest::addColumn<QByteArray>("minor");
    QTest::addColumn<QByteArray>("major");
    QTest::addColumn<int>("code");

    const QByteArray none;
    const QByteArray filler(beyondReadLimit, ' ');
    const QByteArray byteOrderMark("\xef\xbb\xbf");

    QTest::addRow("no state files") << none << none << 0;
    QTest::addRow("both files empty") << QByteArray("") << QByteArray("") << 0;

    QTest::addRow("minor available") << QByteArray("available\n") << none << 1;
    QTest::addRow("minor activating") << QByteArray("activating\n") << none << 2;
    QTest::addRow("minor word without newline") << QByteArray("available") << none << 1;
    QTest::addRow("minor word among white space") << QByteArray(" \n\tactivating \r\n\n") << none << 2;
    QTest::addRow("minor word after a byte order mark") << byteOrderMark + QByteArray("available\n") << none << 1;
    QTest::addRow("minor word in capitals") << QByteArray("AVAILABLE\n") << none << 0;
    QTest::addRow("minor unknown word") << QByteArray("idle\n") << none << 0;
    QTest::addRow("minor two words") << QByteArray("available\nactivating\n") << none << 0;
    QTest::addRow("minor word inside a longer one") << QByteArray("unavailable\n") << none << 0;
    QTest::addRow("minor word in status form") << QByteArray("status: available\n") << none << 0;
    QTest::addRow("minor binary file") << allByteValues() << none << 0;
    QTest::addRow("minor word after a zero byte") << QByteArray("\0available", 10) << none << 0;
    QTest::addRow("minor word followed by much white space") << QByteArray("available") + filler << none << 1;
    QTest::addRow("minor word beyond the part read") << filler + QByteArray("available") << none << 0;

    QTest::addRow("major available") << none << QByteArray("status: available\n") << 3;
    QTest::addRow("major activating") << none << QByteArray("status: activating\n") << 4;
    QTest::addRow("major status among other keys") << none << QByteArray("---\nversion: 12.4\nstatus: available\nsize: 1024\n") << 3;
    QTest::addRow("major status without newline") << none << QByteArray("status: activating") << 4;
    QTest::addRow("major status with Windows line ends") << none << QByteArray("version: 12\r\nstatus: activating\r\n") << 4;
    QTest::addRow("major status without space after colon") << none << QByteArray("status:available\n") << 3;
    QTest::addRow("major status among white space") << none << QByteArray("status: \t available  \n") << 3;
    QTest::addRow("major status in double quotes") << none << QByteArray("status: \"activating\"\n") << 4;
    QTest::addRow("major status in single quotes") << none << QByteArray("status: 'available'\n") << 3;
    QTest::addRow("major status with a comment") << none << QByteArray("status: activating # since the last boot\n") << 4;
    QTest::addRow("major status after a byte order mark") << none << byteOrderMark + QByteArray("status: available\n") << 3;
    QTest::addRow("major status with unmatched quote") << none << QByteArray("status: \"available\n") << 0;
    QTest::addRow("major status with hash inside the word") << none << QByteArray("status: available#1\n") << 0;
    QTest::addRow("major first status line decides") << none << QByteArray("status: done\nstatus: available\n") << 0;
    QTest::addRow("major indented status ignored") << none << QByteArray("packages:\n  status: available\n") << 0;
    QTest::addRow("major indented status before top-level one") << none << QByteArray("packages:\n  status: available\nstatus: activating\n") << 4;
    QTest::addRow("major status key in capitals") << none << QByteArray("Status: available\n") << 0;
    QTest::addRow("major longer key") << none << QByteArray("statusline: available\n") << 0;
    QTest::addRow("major status value in capitals") << none << QByteArray("status: ACTIVATING\n") << 0;
    QTest::addRow("major unknown status") << none << QByteArray("status: failed\n") << 0;
    QTest::addRow("major empty status") << none << QByteArray("status:\n") << 0;
    QTest::addRow("major plain word") << none << QByteArray("available\n") << 0;
    QTest::addRow("major binary file") << none << allByteValues() << 0;
    QTest::addRow("major status after much other text") << none << QByteArray("notes: ") + filler + QByteArray("\nstatus: available\n") << 0;

    QTest::addRow("major activating over minor activating") << QByteArray("activating") << QByteArray("status: activating") << 4;
    QTest::addRow("major activating over minor available") << QByteArray("available") << QByteArray("status: activating") << 4;
    QTest::addRow("minor activating over major available") << QByteArray("activating") << QByteArray("status: available") << 2;
    QTest::addRow("major available over minor available") << QByteArray("available") << QByteArray("status: available") << 3;
    QTest::addRow("minor available beside unknown major status") << QByteArray("available") << QByteArray("status: failed") << 1;
}

void UpdateStateTest::currentState()
{
    QFETCH(QByteArray, minor);
    QFETCH(QByteArray, major);
    QFETCH(int, code);

    if (!minor.isNull()) {
        writeFile(minorFile(), minor);
    }
    if (!major.isNull()) {
        writeFile(majorFile(), major);
    }
    QCOMPARE(UpdateState::getCurrentState(), code);
}

void UpdateStateTest::stateIsReadAfresh()
{
    QCOMPARE(UpdateState::getCurrentState(), 0);
    writeFile(minorFile(), "available");
    QCOMPARE(UpdateState::getCurrentState(), 1);
    writeFile(minorFile(), "activating");
    QCOMPARE(UpdateState::getCurrentState(), 2);
    writeFile(majorFile(), "status: activating");
    QCOMPARE(UpdateState::getCurrentState(), 4);
    QVERIFY(QFile::remove(majorFile()));
    QCOMPARE(UpdateState::getCurrentState(), 2);
    QVERIFY(QFile::remove(minorFile()));
    QCOMPARE(UpdateState::getCurrentState(), 0);
}

// What stands where a state file belongs, when it is not a plain file.
void UpdateStateTest::unusualFiles_data()
{
    QTest::addColumn<bool>("major");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");

    QTest::addRow("minor folder") << false << QStringLiteral("folder") << 0;
    QTest::addRow("minor named pipe") << false << QStringLiteral("pipe") << 0;
    QTest::addRow("minor link to an endless device") << false << QStringLiteral("device") << 0;
    QTest::addRow("minor link to a state file") << false << QStringLiteral("link") << 1;
    QTest::addRow("minor dangling link") << false << QStringLiteral("dangling") << 0;
    QTest::addRow("major folder") << true << QStringLiteral("folder") << 0;
    QTest::addRow("major named pipe") << true << QStringLiteral("pipe") << 0;
    QTest::addRow("major link to an endless device") << true << QStringLiteral("device") << 0;
    QTest::addRow("major link to a state file") << true << QStringLiteral("link") << 3;
}

void UpdateStateTest::unusualFiles()
{
    QFETCH(bool, major);
    QFETCH(QString, kind);
    QFETCH(int, code);

    const QString path = major ? majorFile() : minorFile();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        if (!QFileInfo::exists(QStringLiteral("/dev/zero"))) {
            QSKIP("/dev/zero does not exist here");
        }
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == QLatin1String("link")) {
        const QString target = m_root + QStringLiteral("/var/UpdateStateTest-target");
        writeFile(target, major ? "status: available\n" : "available\n");
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(m_root + QStringLiteral("/var/UpdateStateTest-missing"), path));
    }

    QCOMPARE(UpdateState::getCurrentState(), code);
}

void UpdateStateTest::unreadableFile()
{
    writeFile(minorFile(), "activating");
    QVERIFY(QFile::setPermissions(minorFile(), QFileDevice::Permissions()));
    QFile probe(minorFile());
    if (probe.open(QIODevice::ReadOnly)) {
        QSKIP("the file stays readable (running as root?)");
    }
    QCOMPARE(UpdateState::getCurrentState(), 0);
}

void UpdateStateTest::updateFunctions_data()
{
    QTest::addColumn<QByteArray>("minor");
    QTest::addColumn<QByteArray>("major");
    QTest::addColumn<bool>("minorAvailable");
    QTest::addColumn<bool>("majorAvailable");
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("minorActive");
    QTest::addColumn<bool>("majorActive");
    QTest::addColumn<bool>("active");

    const QByteArray none;
    QTest::addRow("no update") << none << none << false << false << false << false << false << false;
    QTest::addRow("minor update available") << QByteArray("available") << none << true << false << true << false << false << false;
    QTest::addRow("minor update activating") << QByteArray("activating") << none << false << false << false << true << false << true;
    QTest::addRow("major update available") << none << QByteArray("status: available") << false << true << true << false << false << false;
    QTest::addRow("major update activating") << none << QByteArray("status: activating") << false << false << false << false << true << true;
    QTest::addRow("both available, major wins") << QByteArray("available") << QByteArray("status: available") << false << true << true << false << false
                                                << false;
    QTest::addRow("minor activating while major available")
        << QByteArray("activating") << QByteArray("status: available") << false << false << false << true << false << true;
}

void UpdateStateTest::updateFunctions()
{
    QFETCH(QByteArray, minor);
    QFETCH(QByteArray, major);

    if (!minor.isNull()) {
        writeFile(minorFile(), minor);
    }
    if (!major.isNull()) {
        writeFile(majorFile(), major);
    }
    QTEST(StartMenuUtils::isMinorUpdateAvailable(), "minorAvailable");
    QTEST(StartMenuUtils::isMajorUpdateAvailable(), "majorAvailable");
    QTEST(StartMenuUtils::isUpdateAvailable(), "available");
    QTEST(StartMenuUtils::isMinorUpdateActive(), "minorActive");
    QTEST(StartMenuUtils::isMajorUpdateActive(), "majorActive");
    QTEST(StartMenuUtils::isUpdateActive(), "active");
}

void UpdateStateTest::activateAvailableUpdate()
{
    if (m_busAddress.isEmpty()) {
        QSKIP("dbus-daemon is not installed: no private system bus to call the update service on");
    }
    QVERIFY(QDBusConnection::systemBus().isConnected());

    QDBusConnection serviceBus = QDBusConnection::connectToBus(m_busAddress, serviceConnectionName);
    QVERIFY(serviceBus.isConnected());

    // The service gets a thread of its own: QDBusInterface introspects the service with a call that
    // does not run the event loop, so a service in this thread could answer only after the timeout.
    QThread serviceThread;
    UpdateServiceStub service;
    service.moveToThread(&serviceThread);
    serviceThread.start();
    auto stopService = qScopeGuard([&serviceBus, &serviceThread] {
        serviceBus.unregisterObject(servicePath);
        serviceThread.quit();
        serviceThread.wait();
    });
    QVERIFY(serviceBus.registerObject(servicePath, &service, QDBusConnection::ExportAllSlots));
    QVERIFY(serviceBus.registerService(serviceName));

    // No update is available, which the call does not check.
    StartMenuUtils::activateAvailableUpdate();
    QCOMPARE(service.activations(), 1);

    QVERIFY(serviceBus.unregisterService(serviceName));
    StartMenuUtils::activateAvailableUpdate();
    QCOMPARE(service.activations(), 1);
}

// The bus answers a call to a name nobody owns at once. Such a quick reply once slipped past the
// wait for it, which then never ended; over many calls, one of them would.
void UpdateStateTest::activationNeverHangs()
{
    if (m_busAddress.isEmpty()) {
        QSKIP("dbus-daemon is not installed: no private system bus to call");
    }
    // The wait runs the event loop, so this timer fires even inside a call that hangs.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    watchdog.callOnTimeout([] {
        qFatal("activateAvailableUpdate() did not return");
    });
    watchdog.start(60000);
    // Each call logs its error.
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    auto restoreLogging = qScopeGuard([] {
        QLoggingCategory::setFilterRules(QString());
    });
    for (int call = 0; call < 3000; ++call) {
        StartMenuUtils::activateAvailableUpdate();
    }
}

QTEST_GUILESS_MAIN(UpdateStateTest)

#include "updatestatetest.moc"
