/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Runs the real file indexer on a private session bus, in a home inside a temporary folder, and
// checks through the library what a user would see.

#include "balooctl.h"
#include "baloomonitor.h"
#include "baloosettings.h"
#include "foldertablemodel.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <signal.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

using TestSupport::writeFile;

namespace
{
constexpr int startTimeoutMs = 30000;
// A failing QTRY_ keeps trying for three times its timeout; the whole run must stay within ctest's.
constexpr int firstIndexTimeoutMs = 20000;
constexpr int indexTimeoutMs = 15000;
// Each progress() may take half a second of its own.
constexpr int progressRetryMs = 1000;

// Baloo's indexer states, as BalooMonitor::state() numbers them.
constexpr int idleState = 0;
constexpr int suspendedState = 1;
constexpr int lowPowerIdleState = 9;
constexpr int unavailableState = 10;

// Every folder and file is an entry of the index: documents/ and its three files are four;
// more/ with two files and private/ with one add five.
const QStringList documentFiles = {QStringLiteral("nimbtest-alpha.txt"), QStringLiteral("nimbtest-beta.txt"), QStringLiteral("nimbtest-gamma.txt")};
const QStringList moreFiles = {QStringLiteral("nimbextra-delta.txt"), QStringLiteral("nimbextra-epsilon.txt")};
const QString privateFile = QStringLiteral("private/nimbextra-zeta.txt");
constexpr int documentEntries = 4;
constexpr int moreEntries = 5;
constexpr int privateEntries = 2;

const QString balooService = QStringLiteral("org.kde.baloo");
const QString powerService = QStringLiteral("org.freedesktop.PowerManagement");
const QString powerConnectionName = QStringLiteral("nimbtest-power-management");

QString findBalooFile()
{
    // Debian puts it in the multi-arch libexec folder, beside Qt's library folder.
    const QString libraries = QLibraryInfo::location(QLibraryInfo::LibrariesPath);
    const QStringList folders = {
        libraries + QStringLiteral("/libexec"),
        libraries + QStringLiteral("/libexec/kf5"),
        QStringLiteral("/usr/libexec"),
        QStringLiteral("/usr/libexec/kf5"),
        QStringLiteral("/usr/lib/libexec"),
        QStringLiteral("/usr/lib/libexec/kf5"),
    };
    const QString found = QStandardPaths::findExecutable(QStringLiteral("baloo_file"), folders);
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("baloo_file")) : found;
}

// Baloo leaves network and FUSE mounts alone and keeps its memory-mapped index on a local disk only.
bool onLocalFileSystem(const QString &path)
{
    struct statfs info;
    if (statfs(QFile::encodeName(path).constData(), &info) != 0) {
        return false;
    }
    const unsigned long remoteTypes[] = {
        0x6969, // NFS
        0x517B, // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x65735546, // FUSE
        0x01021997, // 9P
        0x00C36400, // Ceph
        0x5346414F, // AFS
        0x73757245, // Coda
    };
    const auto type = static_cast<unsigned long>(info.f_type);
    return std::none_of(std::begin(remoteTypes), std::end(remoteTypes), [type](unsigned long remote) {
        return remote == type;
    });
}

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What `balooctl status` says, as a user reads it.
QString statusReport()
{
    return runTool(QStringLiteral("balooctl"), {QStringLiteral("status")});
}

int statusCount(const QString &report, const QString &label)
{
    const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(report);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

int totalFiles(const QString &report)
{
    return statusCount(report, QStringLiteral("Total files indexed"));
}

int waitingFiles(const QString &report)
{
    return statusCount(report, QStringLiteral("Files waiting for content indexing"));
}

QString indexerState(const QString &report)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Indexer state: (.*)")).match(report);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QStringList search(const QString &term)
{
    QStringList found;
    const QStringList lines = runTool(QStringLiteral("baloosearch"), {term}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('/'))) {
            found.append(line.trimmed());
        }
    }
    found.sort();
    return found;
}

// QTRY_ evaluates its expression every 50 ms and counts only those pauses against its timeout; the
// tools take tens of milliseconds each, so within a QTRY_ their answers are reused for a moment.
class Poll
{
public:
    QString status()
    {
        return cached(QStringLiteral("status"), [] {
            return statusReport();
        });
    }
    QStringList search(const QString &term)
    {
        return cached(QStringLiteral("search ") + term,
                      [&term] {
                          return ::search(term).join(QLatin1Char('\n'));
                      })
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    template<typename Run>
    QString cached(const QString &key, Run run)
    {
        if (key != m_key || !m_age.isValid() || m_age.hasExpired(reuseMs)) {
            m_answer = run();
            m_key = key;
            m_age.start();
        }
        return m_answer;
    }

    static constexpr qint64 reuseMs = 250;
    QString m_key;
    QString m_answer;
    QElapsedTimer m_age;
};
}

// The desktop's power management on the private bus: it tells the indexer to save power, which
// holds content indexing back until it says otherwise.
class FakePowerManagement : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement")

public:
    bool powerSave = true;

public Q_SLOTS:
    Q_SCRIPTABLE bool GetPowerSaveStatus()
    {
        return powerSave;
    }

Q_SIGNALS:
    Q_SCRIPTABLE void PowerSaveStatusChanged(bool powerSave);
};

class BalooIntegrationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void indexerBecomesAvailable();
    void basicIndexingWhileSavingPower();
    void contentIndexingCompletes();
    void suspendAndResume();
    void savedFoldersReachTheIndexer();
    void disableStopsTheIndexer();

private:
    bool chooseFolder();
    void writeFixture();
    void startBus();
    QList<pid_t> processesStartedHere() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_documents;
    QString m_more;
    QString m_configFile;
    QByteArray m_marker;
    QProcess m_bus;
    QProcess m_baloo;
    FakePowerManagement m_power;
    std::unique_ptr<BalooMonitor> m_monitor;
    BalooCtl m_ctl;
    Poll m_poll;
    bool m_stepFailed = false;
};

bool BalooIntegrationTest::chooseFolder()
{
    // The system's temporary folder first; the build folder where that one is not a local disk.
    const QStringList roots = {QDir::tempPath(), QCoreApplication::applicationDirPath()};
    for (const QString &root : roots) {
        if (!onLocalFileSystem(root)) {
            continue;
        }
        auto dir = std::make_unique<QTemporaryDir>(root + QStringLiteral("/baloointegrationtest-XXXXXX"));
        if (dir->isValid()) {
            m_dir = std::move(dir);
            return true;
        }
    }
    return false;
}

void BalooIntegrationTest::writeFixture()
{
    const QString base = m_dir->path();
    m_documents = base + QStringLiteral("/documents");
    m_more = base + QStringLiteral("/more");
    const QStringList folders = {base + QStringLiteral("/home"),
                                 base + QStringLiteral("/config"),
                                 base + QStringLiteral("/config-dirs"),
                                 base + QStringLiteral("/data"),
                                 base + QStringLiteral("/cache"),
                                 base + QStringLiteral("/runtime"),
                                 m_documents,
                                 m_more + QStringLiteral("/private")};
    for (const QString &folder : folders) {
        QVERIFY(QDir().mkpath(folder));
    }
    QVERIFY(QFile::setPermissions(base + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    for (const QString &name : documentFiles) {
        writeFile(m_documents + QLatin1Char('/') + name, "a document of the start menu's indexer test\n");
    }
    for (const QString &name : moreFiles) {
        writeFile(m_more + QLatin1Char('/') + name, "another document\n");
    }
    writeFile(m_more + QLatin1Char('/') + privateFile, "a private document\n");

    m_configFile = base + QStringLiteral("/config/baloofilerc");
    const QByteArray config = "[Basic Settings]\nIndexing-Enabled=true\n\n[General]\nfolders[$e]=" + QFile::encodeName(m_documents)
        + "/\nexclude folders[$e]=\nonly basic indexing=false\n";
    writeFile(m_configFile, config);
}

void BalooIntegrationTest::startBus()
{
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!m_bus.waitForReadyRead(10000)) {
        return;
    }
    // Before anything in this process asks for the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
}

QList<pid_t> BalooIntegrationTest::processesStartedHere() const
{
    // Everything started from here inherits the marker, the detached balooctl runs and the
    // indexer's own extractor included.
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        if (!isNumber || pid == getpid()) {
            continue;
        }
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(m_marker)) {
            found.append(pid);
        }
    }
    return found;
}

void BalooIntegrationTest::initTestCase()
{
    for (const QString &tool : {QStringLiteral("balooctl"), QStringLiteral("baloosearch"), QStringLiteral("dbus-daemon")}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        }
    }
    const QString balooFile = findBalooFile();
    if (balooFile.isEmpty()) {
        QSKIP("baloo_file, the file indexer, is not installed");
    }
    const QStringList importPaths = QQmlEngine().importPathList();
    const bool hasMonitorModule = std::any_of(importPaths.cbegin(), importPaths.cend(), [](const QString &path) {
        return QFile::exists(path + QStringLiteral("/org/kde/baloo/experimental/qmldir"));
    });
    if (!hasMonitorModule) {
        QSKIP("the QML module org.kde.baloo.experimental is not installed");
    }

    if (!chooseFolder()) {
        QSKIP("no temporary folder on a local file system, which the indexer needs");
    }
    writeFixture();
    if (QTest::currentTestFailed()) {
        return;
    }

    const int inotify = inotify_init1(IN_CLOEXEC);
    if (inotify < 0) {
        QSKIP(qPrintable(QStringLiteral("no inotify, which the indexer needs: ") + QString::fromLocal8Bit(strerror(errno))));
    }
    const int watch = inotify_add_watch(inotify, QFile::encodeName(m_documents).constData(), IN_CREATE);
    const int watchError = errno;
    close(inotify);
    if (watch < 0) {
        QSKIP(qPrintable(QStringLiteral("cannot watch a folder with inotify: ") + QString::fromLocal8Bit(strerror(watchError))));
    }

    const QString base = m_dir->path();
    m_marker = "NIMBTEST_BALOO_RUN=" + QFile::encodeName(base);
    qputenv("NIMBTEST_BALOO_RUN", QFile::encodeName(base));
    qputenv("HOME", QFile::encodeName(base + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(base + QStringLiteral("/config-dirs")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + QStringLiteral("/runtime")));
    qunsetenv("BALOO_DB_PATH");
    qputenv("LANG", "C");
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/baloofilerc"), m_configFile);

    startBus();
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || m_bus.state() != QProcess::Running || !QDBusConnection::sessionBus().isConnected()) {
        QSKIP("cannot start a private session bus");
    }

    QDBusConnection power = QDBusConnection::connectToBus(QString::fromUtf8(qgetenv("DBUS_SESSION_BUS_ADDRESS")), powerConnectionName);
    QVERIFY(power.isConnected());
    QVERIFY(power.registerObject(QStringLiteral("/org/freedesktop/PowerManagement"),
                                 &m_power,
                                 QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals));
    QVERIFY(power.registerService(powerService));

    m_monitor = std::make_unique<BalooMonitor>();
    QCOMPARE(m_monitor->balooRunning(), false);

    m_baloo.setProcessChannelMode(QProcess::MergedChannels);
    m_baloo.start(balooFile, QStringList());
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const bool started = QTest::qWaitFor(
        [&] {
            return bus->isServiceRegistered(balooService) || m_baloo.state() == QProcess::NotRunning;
        },
        startTimeoutMs);
    if (!started || !bus->isServiceRegistered(balooService)) {
        const QString log = QString::fromLocal8Bit(m_baloo.readAll());
        QSKIP(qPrintable(QStringLiteral("the indexer did not start on this machine: ") + log));
    }
}

void BalooIntegrationTest::init()
{
    // One indexer goes through the steps in turn; after a failed step its state is anybody's guess.
    if (m_stepFailed) {
        QSKIP("an earlier step failed");
    }
}

void BalooIntegrationTest::cleanup()
{
    m_stepFailed = m_stepFailed || QTest::currentTestFailed();
}

void BalooIntegrationTest::cleanupTestCase()
{
    m_monitor.reset();
    QDBusConnection::disconnectFromBus(powerConnectionName);

    if (!m_marker.isEmpty()) {
        for (pid_t pid : processesStartedHere()) {
            kill(pid, SIGTERM);
        }
        const bool ended = QTest::qWaitFor(
            [this] {
                return processesStartedHere().isEmpty();
            },
            5000);
        for (pid_t pid : ended ? QList<pid_t>() : processesStartedHere()) {
            kill(pid, SIGKILL);
        }
    }
    for (QProcess *process : {&m_baloo, &m_bus}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
        }
        process->waitForFinished();
    }
    if (!m_marker.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(processesStartedHere(), QList<pid_t>(), 10000);
    }
}

void BalooIntegrationTest::indexerBecomesAvailable()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->balooRunning(), true, startTimeoutMs);
    QVERIFY(statusReport().startsWith(QStringLiteral("Baloo File Indexer is running")));
    QVERIFY(m_monitor->stateString() != QStringLiteral("Unknown"));
}

void BalooIntegrationTest::basicIndexingWhileSavingPower()
{
    // The indexer lists the files at once but leaves their content for when power allows.
    QTRY_COMPARE_WITH_TIMEOUT(totalFiles(m_poll.status()), documentEntries, firstIndexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), lowPowerIdleState, indexTimeoutMs);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Low power idle"));
    QCOMPARE(m_monitor->currentlyIndexing(), false);
    const QString report = statusReport();
    QCOMPARE(totalFiles(report), documentEntries);
    QCOMPARE(waitingFiles(report), documentFiles.size());

    // One of four entries (the folder) needs no content: a quarter is done. The indexer answers
    // balooctl at idle priority, so on a busy machine one status may miss progress()'s time limit.
    QTRY_COMPARE_WITH_TIMEOUT(m_ctl.progress(), 25, progressRetryMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->totalFiles(), quint32(documentEntries), indexTimeoutMs);
    QCOMPARE(m_monitor->filesIndexed(), quint32(documentEntries - documentFiles.size()));
    QCOMPARE(m_monitor->completionPercentage(), 25);
}

void BalooIntegrationTest::contentIndexingCompletes()
{
    QSignalSpy stateChanged(m_monitor.get(), &BalooMonitor::indexerStateChanged);
    QVERIFY(stateChanged.isValid());

    m_power.powerSave = false;
    Q_EMIT m_power.PowerSaveStatusChanged(false);

    QTRY_COMPARE_WITH_TIMEOUT(waitingFiles(m_poll.status()), 0, indexTimeoutMs);
    QCOMPARE(m_ctl.progress(), 100);
    QCOMPARE(totalFiles(statusReport()), documentEntries);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), idleState, indexTimeoutMs);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Idle"));
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->filesIndexed(), quint32(documentEntries), indexTimeoutMs);
    QCOMPARE(m_monitor->totalFiles(), quint32(documentEntries));
    QCOMPARE(m_monitor->completionPercentage(), 100);
    QVERIFY(stateChanged.count() > 0);
    QCOMPARE(search(QStringLiteral("nimbtest")),
             QStringList({m_documents + QStringLiteral("/nimbtest-alpha.txt"),
                          m_documents + QStringLiteral("/nimbtest-beta.txt"),
                          m_documents + QStringLiteral("/nimbtest-gamma.txt")}));
}

void BalooIntegrationTest::suspendAndResume()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), idleState, indexTimeoutMs);
    QCOMPARE(m_monitor->suspendState(), QStringLiteral("Suspend"));

    m_ctl.suspend();
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), suspendedState, indexTimeoutMs);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Suspended"));
    QCOMPARE(m_monitor->suspendState(), QStringLiteral("Resume"));
    QCOMPARE(indexerState(statusReport()), QStringLiteral("Suspended"));
    QCOMPARE(m_ctl.progress(), 100);

    m_ctl.resume();
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), idleState, indexTimeoutMs);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Idle"));
    QCOMPARE(indexerState(statusReport()), QStringLiteral("Idle"));

    // The same through the monitor, as the start menu's button does it.
    m_monitor->toggleSuspendState();
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), suspendedState, indexTimeoutMs);
    m_monitor->toggleSuspendState();
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->state(), idleState, indexTimeoutMs);
}

void BalooIntegrationTest::savedFoldersReachTheIndexer()
{
    BalooSettings settings;
    settings.load();
    QCOMPARE(settings.folders(), QStringList{m_documents + QLatin1Char('/')});
    QCOMPARE(settings.excludedFolders(), QStringList());

    FolderTableModel model;
    model.load(settings.folders(), settings.excludedFolders());
    model.add(m_more, true);
    QVERIFY(model.needSave());
    model.save(settings);
    QVERIFY(settings.save());
    m_ctl.updateConfig();

    const QStringList moreFound = {m_more + QStringLiteral("/nimbextra-delta.txt"), m_more + QStringLiteral("/nimbextra-epsilon.txt")};
    QTRY_COMPARE_WITH_TIMEOUT(totalFiles(m_poll.status()), documentEntries + moreEntries, indexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_poll.search(QStringLiteral("nimbextra")), moreFound + QStringList{m_more + QLatin1Char('/') + privateFile}, indexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->totalFiles(), quint32(documentEntries + moreEntries), indexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(waitingFiles(m_poll.status()), 0, indexTimeoutMs);
    QCOMPARE(m_ctl.progress(), 100);

    // A folder excluded below an included one leaves the index.
    model.add(m_more + QStringLiteral("/private"), false);
    model.save(settings);
    QCOMPARE(settings.folders(), (QStringList{m_documents + QLatin1Char('/'), m_more + QLatin1Char('/')}));
    QCOMPARE(settings.excludedFolders(), QStringList{m_more + QStringLiteral("/private/")});
    QVERIFY(settings.save());
    m_ctl.updateConfig();

    QTRY_COMPARE_WITH_TIMEOUT(totalFiles(m_poll.status()), documentEntries + moreEntries - privateEntries, indexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_poll.search(QStringLiteral("nimbextra")), moreFound, indexTimeoutMs);
    QCOMPARE(search(QStringLiteral("nimbtest")).size(), documentFiles.size());
}

void BalooIntegrationTest::disableStopsTheIndexer()
{
    m_ctl.disable();

    QTRY_COMPARE_WITH_TIMEOUT(m_baloo.state(), QProcess::NotRunning, indexTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_monitor->balooRunning(), false, indexTimeoutMs);
    QCOMPARE(m_monitor->state(), unavailableState);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Unavailable"));
    QVERIFY(!statusReport().contains(QStringLiteral("is running")));
    QCOMPARE(m_ctl.progress(), 100);
}

QTEST_GUILESS_MAIN(BalooIntegrationTest)

#include "baloointegrationtest.moc"
