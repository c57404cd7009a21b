/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "updatemode.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <utility>

using TestSupport::writeFile;

namespace
{
const QString minorSubpath = QStringLiteral("/var/cache/talvo-update-service/status");
const QString majorSubpath = QStringLiteral("/var/cache/talvo-upgrade/upgrade.report.yaml");

const QString activatedIcon = QStringLiteral("system-shutdown-updates-activated-symbolic");
const QString availableIcon = QStringLiteral("system-shutdown-updates-available-symbolic");
const QString idleIcon = QStringLiteral("start-menu-shutdown-symbolic");

// Writes a new file and renames it over the old one, as an atomic update does.
bool replaceFile(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QFileSystemWatcher *watcherOf(const UpdateMode &mode)
{
    const QList<QFileSystemWatcher *> watchers = mode.findChildren<QFileSystemWatcher *>(QString(), Qt::FindDirectChildrenOnly);
    return watchers.size() == 1 ? watchers.first() : nullptr;
}

QStringList pathsWatchedBy(const UpdateMode &mode)
{
    const QFileSystemWatcher *watcher = watcherOf(mode);
    return watcher ? sorted(watcher->directories() + watcher->files()) : QStringList{QStringLiteral("<no single watcher>")};
}

// The change signals of an UpdateMode in the order they come, each iconChanged() with the icon it
// announces.
class SignalRecorder
{
public:
    explicit SignalRecorder(UpdateMode &mode)
    {
        QObject::connect(&mode, &UpdateMode::isUpdateActiveChanged, &m_context, [this] {
            m_signals.append(QStringLiteral("isUpdateActiveChanged"));
        });
        QObject::connect(&mode, &UpdateMode::isUpdateAvailableChanged, &m_context, [this] {
            m_signals.append(QStringLiteral("isUpdateAvailableChanged"));
        });
        QObject::connect(&mode, &UpdateMode::iconChanged, &m_context, [this, &mode] {
            m_signals.append(QStringLiteral("iconChanged ") + mode.icon());
        });
    }

    QStringList takeSignals()
    {
        return std::exchange(m_signals, {});
    }

private:
    QObject m_context;
    QStringList m_signals;
};
}

class UpdateModeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void stateAtConstruction_data();
    void stateAtConstruction();
    void iconOfFlags_data();
    void iconOfFlags();
    void settersSignalOnlyOnChange();
    void watchedPaths_data();
    void watchedPaths();
    void followsMinorFile();
    void followsReplacedMajorFile();
    void unchangedStateSignalsNothing();
    void stateFilesInNewFolders();
    void systemUpdateFolderCreatedLater();
    void instance();
    void activateAvailableUpdateWithoutBus();

private:
    QString minorFile() const;
    QString majorFile() const;

    QTemporaryDir m_tempDir;
    QString m_root;
};

void UpdateModeTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
    m_root = StartMenuUtils::systemRoot();
    QVERIFY(QDir().mkpath(m_root));

    // No system bus in this process, and never the machine's own.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArrayLiteral("unix:path=") + QFile::encodeName(m_tempDir.filePath(QStringLiteral("no-bus"))));
}

void UpdateModeTest::init()
{
    QDir(m_root + QStringLiteral("/var")).removeRecursively();
    QDir(m_root + QStringLiteral("/system-update")).removeRecursively();
}

QString UpdateModeTest::minorFile() const
{
    return m_root + minorSubpath;
}

QString UpdateModeTest::majorFile() const
{
    return m_root + majorSubpath;
}

// A null content means that the file does not exist.
void UpdateModeTest::stateAtConstruction_data()
{
    QTest::addColumn<QByteArray>("minor");
    QTest::addColumn<QByteArray>("major");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("icon");

    const QByteArray none;
    QTest::addRow("no update") << none << none << false << false << idleIcon;
    QTest::addRow("minor update available") << QByteArray("available") << none << false << true << availableIcon;
    QTest::addRow("minor update activating") << QByteArray("activating") << none << true << false << activatedIcon;
    QTest::addRow("major update available") << none << QByteArray("status: available") << false << true << availableIcon;
    QTest::addRow("major update activating") << none << QByteArray("status: activating") << true << false << activatedIcon;
    QTest::addRow("unknown states") << QByteArray("pending") << QByteArray("status: failed") << false << false << idleIcon;
}

void UpdateModeTest::stateAtConstruction()
{
    QFETCH(QByteArray, minor);
    QFETCH(QByteArray, major);

    if (!minor.isNull()) {
        writeFile(minorFile(), minor);
    }
    if (!major.isNull()) {
        writeFile(majorFile(), major);
    }

    QObject parent;
    auto *mode = new UpdateMode(&parent);
    QCOMPARE(mode->parent(), &parent);
    QTEST(mode->isUpdateActive(), "active");
    QTEST(mode->isUpdateAvailable(), "available");
    QTEST(mode->icon(), "icon");
    QTEST(mode->property("updateActive").toBool(), "active");
    QTEST(mode->property("updateAvailable").toBool(), "available");
    QTEST(mode->property("icon").toString(), "icon");
}

void UpdateModeTest::iconOfFlags_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("icon");

    QTest::addRow("neither") << false << false << idleIcon;
    QTest::addRow("available") << false << true << availableIcon;
    QTest::addRow("active") << true << false << activatedIcon;
    QTest::addRow("active and available") << true << true << activatedIcon;
}

void UpdateModeTest::iconOfFlags()
{
    QFETCH(bool, active);
    QFETCH(bool, available);

    UpdateMode mode;
    mode.setIsUpdateActive(active);
    mode.setIsUpdateAvailable(available);
    QCOMPARE(mode.isUpdateActive(), active);
    QCOMPARE(mode.isUpdateAvailable(), available);
    QTEST(mode.icon(), "icon");
}

void UpdateModeTest::settersSignalOnlyOnChange()
{
    UpdateMode mode;
    QSignalSpy activeSpy(&mode, &UpdateMode::isUpdateActiveChanged);
    QSignalSpy availableSpy(&mode, &UpdateMode::isUpdateAvailableChanged);
    QSignalSpy iconSpy(&mode, &UpdateMode::iconChanged);
    QVERIFY(activeSpy.isValid());
    QVERIFY(availableSpy.isValid());
    QVERIFY(iconSpy.isValid());

    mode.setIsUpdateActive(false);
    mode.setIsUpdateAvailable(false);
    QCOMPARE(activeSpy.count(), 0);
    QCOMPARE(availableSpy.count(), 0);
    QCOMPARE(iconSpy.count(), 0);

    mode.setIsUpdateAvailable(true);
    QCOMPARE(activeSpy.count(), 0);
    QCOMPARE(availableSpy.count(), 1);
    QCOMPARE(iconSpy.count(), 1);

    mode.setIsUpdateAvailable(true);
    QCOMPARE(availableSpy.count(), 1);
    QCOMPARE(iconSpy.count(), 1);

    // The icon stays the same here, yet each flag change is followed by iconChanged().
    mode.setIsUpdateActive(true);
    mode.setIsUpdateAvailable(false);
    QCOMPARE(activeSpy.count(), 1);
    QCOMPARE(availableSpy.count(), 2);
    QCOMPARE(iconSpy.count(), 3);
}

void UpdateModeTest::watchedPaths_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("watched");

    const QString root;
    const QString systemUpdate = QStringLiteral("/system-update");
    const QString cache = QStringLiteral("/var/cache");
    const QString serviceDir = QStringLiteral("/var/cache/talvo-update-service");
    const QString upgradable = QStringLiteral("/var/cache/talvo-update-service/upgradable");
    const QString upgradeDir = QStringLiteral("/var/cache/talvo-upgrade");

    QTest::addRow("only the root") << QStringList() << QStringList() << QStringList{root};
    QTest::addRow("every path") << QStringList{systemUpdate, upgradable, upgradeDir} << QStringList{minorSubpath, majorSubpath}
                                << QStringList{root, systemUpdate, cache, serviceDir, upgradable, minorSubpath, upgradeDir, majorSubpath};
    QTest::addRow("service folder without its files") << QStringList{serviceDir} << QStringList() << QStringList{root, cache, serviceDir};
    QTest::addRow("major report only") << QStringList() << QStringList{majorSubpath} << QStringList{root, cache, upgradeDir, majorSubpath};
    QTest::addRow("other files beside them") << QStringList{QStringLiteral("/var/cache/UpdateModeTest-other")}
                                             << QStringList{QStringLiteral("/var/cache/talvo-update-service/UpdateModeTest-other")}
                                             << QStringList{root, cache, serviceDir};
}

void UpdateModeTest::watchedPaths()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QStringList, watched);

    for (const QString &folder : qAsConst(folders)) {
        QVERIFY(QDir().mkpath(m_root + folder));
    }
    for (const QString &file : qAsConst(files)) {
        writeFile(m_root + file, "UpdateModeTest\n");
    }
    QStringList expected;
    for (const QString &path : qAsConst(watched)) {
        expected.append(m_root + path);
    }

    UpdateMode mode;
    QCOMPARE(pathsWatchedBy(mode), sorted(expected));
}

void UpdateModeTest::followsMinorFile()
{
    QVERIFY(QDir().mkpath(QFileInfo(minorFile()).path()));
    UpdateMode mode;
    SignalRecorder recorder(mode);
    QCOMPARE(mode.isUpdateAvailable(), false);

    // Each flag's signal is forwarded to iconChanged() by a connection made at construction, before
    // the recorder's: a listener hears the icon change first, then the flag's own signal.
    writeFile(minorFile(), "available\n");
    QTRY_COMPARE(mode.isUpdateAvailable(), true);
    QCOMPARE(mode.isUpdateActive(), false);
    QCOMPARE(recorder.takeSignals(), (QStringList{QStringLiteral("iconChanged ") + availableIcon, QStringLiteral("isUpdateAvailableChanged")}));

    // The active flag is refreshed first, so the icon goes straight to the activated one.
    writeFile(minorFile(), "activating\n");
    QTRY_COMPARE(mode.isUpdateActive(), true);
    QCOMPARE(mode.isUpdateAvailable(), false);
    QCOMPARE(recorder.takeSignals(),
             (QStringList{QStringLiteral("iconChanged ") + activatedIcon,
                          QStringLiteral("isUpdateActiveChanged"),
                          QStringLiteral("iconChanged ") + activatedIcon,
                          QStringLiteral("isUpdateAvailableChanged")}));

    QVERIFY(QFile::remove(minorFile()));
    QTRY_COMPARE(mode.isUpdateActive(), false);
    QCOMPARE(mode.isUpdateAvailable(), false);
    QCOMPARE(recorder.takeSignals(), (QStringList{QStringLiteral("iconChanged ") + idleIcon, QStringLiteral("isUpdateActiveChanged")}));
}

void UpdateModeTest::followsReplacedMajorFile()
{
    writeFile(majorFile(), "status: available\n");
    UpdateMode mode;
    QFileSystemWatcher *watcher = watcherOf(mode);
    QVERIFY(watcher);
    QSignalSpy iconSpy(&mode, &UpdateMode::iconChanged);
    QVERIFY(iconSpy.isValid());
    QCOMPARE(mode.icon(), availableIcon);

    // Each replacement drops the old file from the watcher; the refresh adds the new one.
    QVERIFY(replaceFile(majorFile(), "status: activating\n"));
    QTRY_COMPARE(mode.icon(), activatedIcon);
    QTRY_VERIFY(watcher->files().contains(majorFile()));

    QVERIFY(replaceFile(majorFile(), "status: available\n"));
    QTRY_COMPARE(mode.icon(), availableIcon);
    QTRY_VERIFY(watcher->files().contains(majorFile()));

    QVERIFY(replaceFile(majorFile(), "status: done\n"));
    QTRY_COMPARE(mode.icon(), idleIcon);
    QCOMPARE(mode.isUpdateActive(), false);
    QCOMPARE(mode.isUpdateAvailable(), false);
    QCOMPARE(iconSpy.count(), 5);
}

void UpdateModeTest::unchangedStateSignalsNothing()
{
    writeFile(minorFile(), "available\n");
    UpdateMode mode;
    QFileSystemWatcher *watcher = watcherOf(mode);
    QVERIFY(watcher);
    SignalRecorder recorder(mode);

    // Connected after the mode's own handler, so each count comes after a refresh.
    int notifications = 0;
    const auto count = [&notifications] {
        ++notifications;
    };
    connect(watcher, &QFileSystemWatcher::fileChanged, this, count);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, count);

    writeFile(minorFile(), "  available \n");
    QTRY_VERIFY(notifications > 0);
    QCOMPARE(recorder.takeSignals(), QStringList());

    notifications = 0;
    writeFile(m_root + QStringLiteral("/var/cache/UpdateModeTest-unrelated"), "UpdateModeTest\n");
    QTRY_VERIFY(notifications > 0);
    QCOMPARE(recorder.takeSignals(), QStringList());
    QCOMPARE(mode.isUpdateAvailable(), true);
}

void UpdateModeTest::stateFilesInNewFolders()
{
    UpdateMode mode;
    QCOMPARE(pathsWatchedBy(mode), QStringList{m_root});

    // Only the root is watched: its change must be enough to read the state and watch the rest.
    writeFile(minorFile(), "activating\n");
    QTRY_COMPARE(mode.isUpdateActive(), true);
    QCOMPARE(mode.icon(), activatedIcon);
    QTRY_VERIFY(pathsWatchedBy(mode).contains(minorFile()));
}

void UpdateModeTest::systemUpdateFolderCreatedLater()
{
    const QString systemUpdate = m_root + QStringLiteral("/system-update");
    UpdateMode mode;
    QFileSystemWatcher *watcher = watcherOf(mode);
    QVERIFY(watcher);
    QVERIFY(!watcher->directories().contains(systemUpdate));

    QVERIFY(QDir().mkpath(systemUpdate));
    QTRY_VERIFY(watcher->directories().contains(systemUpdate));

    QSignalSpy directorySpy(watcher, &QFileSystemWatcher::directoryChanged);
    QVERIFY(directorySpy.isValid());
    writeFile(systemUpdate + QStringLiteral("/UpdateModeTest-marker"), "UpdateModeTest\n");
    QTRY_VERIFY(std::any_of(directorySpy.cbegin(), directorySpy.cend(), [&systemUpdate](const QList<QVariant> &arguments) {
        return arguments.at(0).toString() == systemUpdate;
    }));
}

void UpdateModeTest::instance()
{
    writeFile(majorFile(), "status: available\n");
    UpdateMode *mode = UpdateMode::instance();
    QVERIFY(mode);
    QCOMPARE(UpdateMode::instance(), mode);
    QCOMPARE(mode->parent(), nullptr);
    QCOMPARE(mode->isUpdateAvailable(), true);
    QCOMPARE(mode->icon(), availableIcon);
}

// Here rather than beside the call with a service: Qt connects to the system bus once per process.
void UpdateModeTest::activateAvailableUpdateWithoutBus()
{
    QVERIFY(!QDBusConnection::systemBus().isConnected());
    StartMenuUtils::activateAvailableUpdate();
    QVERIFY(!QDBusConnection::systemBus().isConnected());
}

QTEST_GUILESS_MAIN(UpdateModeTest)

#include "updatemodetest.moc"
