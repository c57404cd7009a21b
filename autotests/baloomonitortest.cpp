/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "baloomonitor.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{
const char *const moduleUri = "org.kde.baloo.experimental";
}

// Stands in for Baloo's QML monitor: the same property, signal and method names, driven by the test.
class FakeMonitor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString filePath MEMBER m_filePath NOTIFY newFileIndexed)
    Q_PROPERTY(QString suspendState MEMBER m_suspendState NOTIFY indexerStateChanged)
    Q_PROPERTY(bool balooRunning MEMBER m_balooRunning NOTIFY balooStateChanged)
    Q_PROPERTY(uint totalFiles MEMBER m_totalFiles NOTIFY totalFilesChanged)
    Q_PROPERTY(uint filesIndexed MEMBER m_filesIndexed NOTIFY newFileIndexed)
    Q_PROPERTY(QString remainingTime MEMBER m_remainingTime NOTIFY remainingTimeChanged)
    Q_PROPERTY(int state MEMBER m_state NOTIFY indexerStateChanged)

public:
    explicit FakeMonitor(QObject *parent = nullptr)
        : QObject(parent)
    {
        s_latest = this;
        ++s_alive;
    }
    ~FakeMonitor() override
    {
        if (s_latest == this) {
            s_latest = nullptr;
        }
        --s_alive;
    }

    Q_INVOKABLE void toggleSuspendState()
    {
        ++toggleCalls;
    }
    Q_INVOKABLE void startBaloo()
    {
        ++startCalls;
    }

    static FakeMonitor *s_latest;
    static int s_alive;

    QString m_filePath;
    QString m_suspendState;
    bool m_balooRunning = false;
    uint m_totalFiles = 0;
    uint m_filesIndexed = 0;
    QString m_remainingTime;
    int m_state = 0;
    int toggleCalls = 0;
    int startCalls = 0;

Q_SIGNALS:
    void newFileIndexed();
    void balooStateChanged();
    void totalFilesChanged();
    void remainingTimeChanged();
    void indexerStateChanged();
};

FakeMonitor *FakeMonitor::s_latest = nullptr;
int FakeMonitor::s_alive = 0;

class BalooMonitorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void createsTheMonitor();
    void deletesTheMonitor();
    void readsProperties();
    void completionPercentage_data();
    void completionPercentage();
    void stateTexts_data();
    void stateTexts();
    void forwardsSignals_data();
    void forwardsSignals();
    void callsMethods();
    void withoutModule();

private:
    void useImportPath(const QString &path);

    QTemporaryDir m_dir;
    QString m_fakeModulePath;
    QString m_brokenModulePath;
    std::unique_ptr<BalooMonitor> m_monitor;
};

static void writeQmldir(const QString &importPath, const QByteArray &content)
{
    TestSupport::writeFile(importPath + QStringLiteral("/org/kde/baloo/experimental/qmldir"), content);
}

void BalooMonitorTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // An import path searched before the system one hides the installed module: its qmldir names
    // no plugin, so the type registered below answers the import.
    m_fakeModulePath = m_dir.filePath(QStringLiteral("fake"));
    writeQmldir(m_fakeModulePath, "module org.kde.baloo.experimental\n");
    m_brokenModulePath = m_dir.filePath(QStringLiteral("broken"));
    writeQmldir(m_brokenModulePath, "module org.kde.baloo.experimental\nplugin nimbtestmissingplugin\n");

    QCOMPARE(qmlRegisterType<FakeMonitor>(moduleUri, 0, 1, "Monitor") >= 0, true);
}

void BalooMonitorTest::useImportPath(const QString &path)
{
    // Every QQmlEngine reads it when it is constructed.
    qputenv("QML2_IMPORT_PATH", QFile::encodeName(path));
}

void BalooMonitorTest::init()
{
    useImportPath(m_fakeModulePath);
    m_monitor = std::make_unique<BalooMonitor>();
}

void BalooMonitorTest::cleanup()
{
    m_monitor.reset();
    QCOMPARE(FakeMonitor::s_alive, 0);
}

void BalooMonitorTest::createsTheMonitor()
{
    QVERIFY(FakeMonitor::s_latest);
    QCOMPARE(FakeMonitor::s_alive, 1);
    QCOMPARE(FakeMonitor::s_latest->parent(), nullptr);
}

void BalooMonitorTest::deletesTheMonitor()
{
    QPointer<FakeMonitor> fake = FakeMonitor::s_latest;
    QVERIFY(fake);
    m_monitor.reset();
    QVERIFY(fake.isNull());
    QCOMPARE(FakeMonitor::s_alive, 0);
}

void BalooMonitorTest::readsProperties()
{
    FakeMonitor *fake = FakeMonitor::s_latest;
    QVERIFY(fake);
    fake->m_filePath = QStringLiteral("/srv/nimbtest/notes.txt");
    fake->m_suspendState = QStringLiteral("Resume");
    fake->m_balooRunning = true;
    fake->m_totalFiles = 1000;
    fake->m_filesIndexed = 250;
    fake->m_remainingTime = QStringLiteral("3 minutes nimbtest");
    fake->m_state = 6;

    QCOMPARE(m_monitor->filePath(), QStringLiteral("/srv/nimbtest/notes.txt"));
    QCOMPARE(m_monitor->suspendState(), QStringLiteral("Resume"));
    QCOMPARE(m_monitor->balooRunning(), true);
    QCOMPARE(m_monitor->totalFiles(), 1000u);
    QCOMPARE(m_monitor->filesIndexed(), 250u);
    QCOMPARE(m_monitor->remainingTime(), QStringLiteral("3 minutes nimbtest"));
    QCOMPARE(m_monitor->state(), 6);

    // Read anew at every call.
    fake->m_totalFiles = 7;
    QCOMPARE(m_monitor->totalFiles(), 7u);
}

void BalooMonitorTest::completionPercentage_data()
{
    QTest::addColumn<uint>("filesIndexed");
    QTest::addColumn<uint>("totalFiles");
    QTest::addColumn<int>("percentage");

    QTest::addRow("250 of 1000") << 250u << 1000u << 25;
    QTest::addRow("1 of 3 truncated") << 1u << 3u << 33;
    QTest::addRow("2 of 3 truncated, not rounded") << 2u << 3u << 66;
    QTest::addRow("all of them") << 3u << 3u << 100;
    QTest::addRow("none of them") << 0u << 5u << 0;
    QTest::addRow("no files") << 0u << 0u << 0;
    QTest::addRow("no files but some counted") << 12u << 0u << 0;
    QTest::addRow("counted past the total") << 7u << 5u << 100;
    QTest::addRow("huge count of one file") << 4000000000u << 1u << 100;
    QTest::addRow("huge total") << 2000000000u << 4000000000u << 50;
}

void BalooMonitorTest::completionPercentage()
{
    QFETCH(uint, filesIndexed);
    QFETCH(uint, totalFiles);
    QFETCH(int, percentage);

    FakeMonitor *fake = FakeMonitor::s_latest;
    QVERIFY(fake);
    fake->m_filesIndexed = filesIndexed;
    fake->m_totalFiles = totalFiles;
    QCOMPARE(m_monitor->completionPercentage(), percentage);
}

void BalooMonitorTest::stateTexts_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("indexing");

    QTest::addRow("0 idle") << 0 << QStringLiteral("Idle") << false;
    QTest::addRow("1 suspended") << 1 << QStringLiteral("Suspended") << false;
    QTest::addRow("2 first run") << 2 << QStringLiteral("First run") << true;
    QTest::addRow("3 new files") << 3 << QStringLiteral("New files") << true;
    QTest::addRow("4 modified files") << 4 << QStringLiteral("Modified files") << true;
    QTest::addRow("5 xattr files") << 5 << QStringLiteral("XAttr files") << true;
    QTest::addRow("6 content indexing") << 6 << QStringLiteral("Content indexing") << true;
    QTest::addRow("7 unindexed file check") << 7 << QStringLiteral("Unindexed file check") << true;
    QTest::addRow("8 stale index entries clean") << 8 << QStringLiteral("Stale index entries clean") << true;
    QTest::addRow("9 low power idle") << 9 << QStringLiteral("Low power idle") << false;
    QTest::addRow("10 unavailable") << 10 << QStringLiteral("Unavailable") << false;
    QTest::addRow("11 startup") << 11 << QStringLiteral("Startup") << false;
    QTest::addRow("12 unknown") << 12 << QStringLiteral("Unknown") << false;
    QTest::addRow("-1 unknown") << -1 << QStringLiteral("Unknown") << false;
}

void BalooMonitorTest::stateTexts()
{
    QFETCH(int, state);
    QFETCH(QString, text);
    QFETCH(bool, indexing);

    FakeMonitor *fake = FakeMonitor::s_latest;
    QVERIFY(fake);
    fake->m_state = state;
    QCOMPARE(m_monitor->state(), state);
    QCOMPARE(m_monitor->stateString(), text);
    QCOMPARE(m_monitor->currentlyIndexing(), indexing);
}

void BalooMonitorTest::forwardsSignals_data()
{
    QTest::addColumn<QByteArray>("signal");

    QTest::addRow("newFileIndexed") << QByteArray(SIGNAL(newFileIndexed()));
    QTest::addRow("balooStateChanged") << QByteArray(SIGNAL(balooStateChanged()));
    QTest::addRow("totalFilesChanged") << QByteArray(SIGNAL(totalFilesChanged()));
    QTest::addRow("remainingTimeChanged") << QByteArray(SIGNAL(remainingTimeChanged()));
    QTest::addRow("indexerStateChanged") << QByteArray(SIGNAL(indexerStateChanged()));
}

void BalooMonitorTest::forwardsSignals()
{
    QFETCH(QByteArray, signal);

    FakeMonitor *fake = FakeMonitor::s_latest;
    QVERIFY(fake);
    const QByteArray allSignals[] = {
        QByteArray(SIGNAL(newFileIndexed())),
        QByteArray(SIGNAL(balooStateChanged())),
        QByteArray(SIGNAL(totalFilesChanged())),
        QByteArray(SIGNAL(remainingTimeChanged())),
        QByteArray(SIGNAL(indexerStateChanged())),
    };
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const QByteArray &each : allSignals) {
        spies.push_back(std::make_unique<QSignalSpy>(m_monitor.get(), each.constData()));
        QVERIFY(spies.back()->isValid());
    }

    // The fake's signal of that name, emitted through its meta-object.
    const int method = fake->metaObject()->indexOfSignal(signal.constData() + 1);
    QVERIFY(method >= 0);
    QVERIFY(fake->metaObject()->method(method).invoke(fake, Qt::DirectConnection));
    QVERIFY(fake->metaObject()->method(method).invoke(fake, Qt::DirectConnection));

    for (size_t i = 0; i < spies.size(); ++i) {
        QCOMPARE(spies[i]->count(), allSignals[i] == signal ? 2 : 0);
    }
}

void BalooMonitorTest::callsMethods()
{
    FakeMonitor *fake = FakeMonitor::s_latest;
    QVERIFY(fake);

    m_monitor->toggleSuspendState();
    QCOMPARE(fake->toggleCalls, 1);
    QCOMPARE(fake->startCalls, 0);

    m_monitor->startBaloo();
    m_monitor->toggleSuspendState();
    QCOMPARE(fake->toggleCalls, 2);
    QCOMPARE(fake->startCalls, 1);
}

void BalooMonitorTest::withoutModule()
{
    m_monitor.reset();
    useImportPath(m_brokenModulePath);
    m_monitor = std::make_unique<BalooMonitor>();
    QCOMPARE(FakeMonitor::s_alive, 0);

    QSignalSpy spy(m_monitor.get(), &BalooMonitor::indexerStateChanged);
    QVERIFY(spy.isValid());

    QCOMPARE(m_monitor->filePath(), QString());
    QCOMPARE(m_monitor->suspendState(), QString());
    QCOMPARE(m_monitor->balooRunning(), false);
    QCOMPARE(m_monitor->totalFiles(), 0u);
    QCOMPARE(m_monitor->filesIndexed(), 0u);
    QCOMPARE(m_monitor->remainingTime(), QString());
    QCOMPARE(m_monitor->state(), 0);
    QCOMPARE(m_monitor->stateString(), QStringLiteral("Idle"));
    QCOMPARE(m_monitor->completionPercentage(), 0);
    QCOMPARE(m_monitor->currentlyIndexing(), false);
    m_monitor->toggleSuspendState();
    m_monitor->startBaloo();
    QCOMPARE(spy.count(), 0);
}

QTEST_GUILESS_MAIN(BalooMonitorTest)

#include "baloomonitortest.moc"
