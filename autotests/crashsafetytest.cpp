/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The menu tree and the configuration file when processes die or meet: nimb-startmenu is killed in
// the middle of building the tree, two of it build one tree at once, two of it save preferences at
// once. Whatever happens, no item on disk may be broken or lose its origin, the next update must
// leave the tree the start menu would have built undisturbed, and the configuration file must
// hold one writer's complete preferences.

#include "nimbdesktopentry.h"
#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

namespace
{
const QString originKey = QStringLiteral("X-Nimb-OriginFile");

constexpr int killedRuns = 30;
constexpr int killedUpdates = 3;
// Enough that writing them takes far longer than noticing the first one.
constexpr int addedApplications = 1500;
constexpr int concurrentRounds = 15;
constexpr int settingsRounds = 12;
// A fixed seed: a failure can be replayed, give or take the machine's timing.
constexpr quint32 seed = 20260101;
constexpr int toolTimeoutMs = 60000;

using Tree = QMap<QString, QByteArray>;

// Every file below the menu tree, by relative path, with its contents.
Tree readTree(const QString &menuDir)
{
    Tree tree;
    QDirIterator it(menuDir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(path.mid(menuDir.size() + 1), TestSupport::readFile(path));
    }
    return tree;
}

QString describeDifference(const Tree &expected, const Tree &actual)
{
    QStringList lines;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!actual.contains(it.key())) {
            lines.append(QStringLiteral("missing ") + it.key());
        } else if (actual.value(it.key()) != it.value()) {
            lines.append(QStringLiteral("different ") + it.key());
        }
    }
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        if (!expected.contains(it.key())) {
            lines.append(QStringLiteral("unexpected ") + it.key());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// The preferences of one class as the file holds them.
using Values = QMap<QString, QVariant>;

const QStringList &menuKeys()
{
    static const QStringList keys{QStringLiteral("enableFavorites"),
                                  QStringLiteral("enableComputer"),
                                  QStringLiteral("enableRecent"),
                                  QStringLiteral("defaultTab"),
                                  QStringLiteral("showClassicMenu"),
                                  QStringLiteral("showLastLoginInfo"),
                                  QStringLiteral("appsMode"),
                                  QStringLiteral("enableSortCategoriesAlphabetically"),
                                  QStringLiteral("enableSortAppsAlphabetically"),
                                  QStringLiteral("askConfirmation"),
                                  QStringLiteral("enableAnimation"),
                                  QStringLiteral("showTooltips"),
                                  QStringLiteral("tabs")};
    return keys;
}

const QStringList &searchKeys()
{
    static const QStringList keys{QStringLiteral("indexApplications"),
                                  QStringLiteral("indexSettings"),
                                  QStringLiteral("indexDocuments"),
                                  QStringLiteral("indexMedia"),
                                  QStringLiteral("indexArchives"),
                                  QStringLiteral("indexHelp"),
                                  QStringLiteral("limitIndexSize"),
                                  QStringLiteral("indexSizeLimit"),
                                  QStringLiteral("idleModeIndexing")};
    return keys;
}

Values valuesOf(QSettings &settings, const QStringList &keys)
{
    Values values;
    for (const QString &key : keys) {
        // As text, so that a bool written by one process and read back by another compare alike. The
        // tabs are a set, written in the order of a hash that differs from process to process.
        const QVariant value = settings.value(key);
        if (value.userType() == QMetaType::QStringList) {
            QStringList list = value.toStringList();
            list.sort();
            values.insert(key, list.join(QLatin1Char(',')));
        } else {
            values.insert(key, value.toString());
        }
    }
    return values;
}

QString describe(const Values &values)
{
    QStringList pairs;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        pairs.append(it.key() + QLatin1Char('=') + it.value().toString());
    }
    return pairs.join(QStringLiteral(", "));
}
}

class CrashSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void killedGeneration();
    void killedUpdate();
    void concurrentGenerations();
    void concurrentSettingsSaves_data();
    void concurrentSettingsSaves();

private:
    QString home() const
    {
        return m_system->home();
    }
    QString nimbDir() const
    {
        return home() + QStringLiteral("/.nimb");
    }
    QString menuDir() const
    {
        return m_system->menuDir();
    }

    QProcessEnvironment environment() const;
    void startTool(QProcess &process, const QStringList &arguments) const;
    bool runTool(const QStringList &arguments) const;
    void checkItemsWhole() const;
    void checkTreeAsReference() const;

    QString m_tool;
    Tree m_reference;
    int m_generationMs = 0;
    // The tool runs on the demo system; the home is the fake system's.
    std::unique_ptr<TestSupport::FakeSystem> m_system;
    QRandomGenerator m_random{seed};
};

void CrashSafetyTest::initTestCase()
{
    m_tool = QCoreApplication::applicationDirPath() + QStringLiteral("/nimb-startmenu");
    QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
    QVERIFY(QFileInfo(QStringLiteral(DEMO_ROOT "/usr/share/nimb-start-menu/startmenu/office/.directory")).isFile());

    // The tree a run that nothing disturbs builds; every disturbed run must end up with it.
    init();
    QProcess process;
    startTool(process, {QStringLiteral("--json"), QStringLiteral("menu"), QStringLiteral("reset")});
    QVERIFY(process.waitForFinished(toolTimeoutMs));
    QCOMPARE(process.exitCode(), 0);
    m_generationMs = QJsonDocument::fromJson(process.readAllStandardOutput()).object().value(QStringLiteral("milliseconds")).toInt();
    m_reference = readTree(menuDir());
    QVERIFY(m_reference.size() > 20);
    checkItemsWhole();
}

void CrashSafetyTest::init()
{
    m_system = std::make_unique<TestSupport::FakeSystem>(QStringLiteral("CrashSafetyTest"));
    QVERIFY(m_system->install());
}

QProcessEnvironment CrashSafetyTest::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : {QStringLiteral("LANG"), QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES"), QStringLiteral("XDG_DATA_DIRS")}) {
        environment.remove(variable);
    }
    // Whatever the machine has, the tool must not reach a real bus.
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + home() + QStringLiteral("/no-bus"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + home() + QStringLiteral("/no-bus"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home() + QStringLiteral("/.local/share"));
    return environment;
}

void CrashSafetyTest::startTool(QProcess &process, const QStringList &arguments) const
{
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(m_tool, QStringList{QStringLiteral("--root"), QStringLiteral(DEMO_ROOT), QStringLiteral("--home"), home()} + arguments);
}

bool CrashSafetyTest::runTool(const QStringList &arguments) const
{
    QProcess process;
    startTool(process, arguments);
    return process.waitForFinished(toolTimeoutMs) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void CrashSafetyTest::checkItemsWhole() const
{
    QDirIterator it(menuDir(), {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString item = it.next();
        const NimbDesktopEntry entry(QFile::encodeName(item).toStdString());
        QVERIFY2(entry.isLoaded() && entry.isValid(), qPrintable(item));
        const QString origin = QString::fromStdString(entry.getUnknownValue(originKey.toStdString()));
        QVERIFY2(QFileInfo(origin).isFile(), qPrintable(QStringLiteral("%1 names %2").arg(item, origin)));
        QCOMPARE(QFileInfo(origin).fileName(), QFileInfo(item).fileName());
    }
}

void CrashSafetyTest::checkTreeAsReference() const
{
    const Tree tree = readTree(menuDir());
    QVERIFY2(tree == m_reference, qPrintable(describeDifference(m_reference, tree)));
    // Nothing half-built is left beside the tree either.
    QCOMPARE(QDir(nimbDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList{QStringLiteral("startmenu2")});
}

void CrashSafetyTest::killedGeneration()
{
    int killedWhileBuilding = 0;
    // Runs that left no tree, or something beside it: the kill caught the tree being built or removed.
    int interrupted = 0;
    for (int run = 0; run < killedRuns; ++run) {
        const bool fromScratch = run % 2 == 0;
        if (fromScratch) {
            QVERIFY(QDir(nimbDir()).removeRecursively());
            QVERIFY(QDir().mkpath(nimbDir()));
        } else {
            QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        }

        QProcess process;
        startTool(process, {QStringLiteral("menu"), QStringLiteral("reset")});
        QVERIFY(process.waitForStarted(toolTimeoutMs));
        if (fromScratch) {
            // The moment the first thing appears in the desktop's folder, building has begun.
            QElapsedTimer waited;
            waited.start();
            const QDir desktopFolder(nimbDir());
            const auto nothingYet = [&desktopFolder] {
                return desktopFolder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
            };
            while (process.state() == QProcess::Running && nothingYet() && waited.elapsed() < toolTimeoutMs) {
                QThread::yieldCurrentThread();
            }
        }
        // The kill lands at a random moment of the generation (or, over a tree, of the whole run).
        const int windowUs = 1000 * std::max(2 * m_generationMs, fromScratch ? 5 : 60);
        QThread::usleep(m_random.bounded(windowUs));
        const bool killed = process.state() == QProcess::Running;
        process.kill();
        QVERIFY(process.waitForFinished(toolTimeoutMs));
        if (killed && process.exitStatus() == QProcess::CrashExit) {
            ++killedWhileBuilding;
        }

        const QStringList left = QDir(nimbDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (left != QStringList{QStringLiteral("startmenu2")}) {
            ++interrupted;
        }

        checkItemsWhole();
        // What the start menu does at its next start.
        QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        checkItemsWhole();
        checkTreeAsReference();
        if (QTest::currentTestFailed()) {
            qInfo("failed after run %d (%s, %s)", run, fromScratch ? "from scratch" : "over a tree", killed ? "killed" : "finished first");
            return;
        }
    }
    qInfo("%d of %d runs killed while running, %d of them while the tree was being built or removed", killedWhileBuilding, killedRuns, interrupted);
}

// An ordinary update that adds many applications to one category is killed just after its first
// write into the category's folder, which makes the folder newer than the applications still to
// come. The next update must add them all the same, and afterwards judge the folder as usual again.
void CrashSafetyTest::killedUpdate()
{
    QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
    const QString office = menuDir() + QStringLiteral("/office");
    const QString applications = m_system->userApplications();
    const auto changeTime = [&office] {
        struct stat status {
        };
        ::stat(QFile::encodeName(office).constData(), &status);
        return std::make_pair(status.st_ctim.tv_sec, status.st_ctim.tv_nsec);
    };

    int interrupted = 0;
    for (int round = 0; round < killedUpdates; ++round) {
        // Change times are compared to the millisecond.
        QThread::msleep(20);
        QStringList added;
        for (int i = 0; i < addedApplications; ++i) {
            const QString name = QStringLiteral("ledger-%1-%2.desktop").arg(round).arg(i);
            TestSupport::writeFile(applications + QLatin1Char('/') + name,
                                   m_system->desktopFile(QStringLiteral("Ledger %1 %2").arg(round).arg(i), QStringLiteral("Office;")));
            added.append(name);
        }

        const auto before = changeTime();
        QProcess process;
        startTool(process, {QStringLiteral("menu"), QStringLiteral("update")});
        QVERIFY(process.waitForStarted(toolTimeoutMs));
        QElapsedTimer waited;
        waited.start();
        while (process.state() == QProcess::Running && changeTime() == before && waited.elapsed() < toolTimeoutMs) {
            QThread::yieldCurrentThread();
        }
        process.kill();
        QVERIFY(process.waitForFinished(toolTimeoutMs));
        const QStringList presentList = QDir(office).entryList(QDir::Files);
        const QSet<QString> present(presentList.cbegin(), presentList.cend());
        const int written = std::count_if(added.cbegin(), added.cend(), [&present](const QString &name) {
            return present.contains(name);
        });
        if (written < added.size()) {
            ++interrupted;
        }

        checkItemsWhole();
        QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        const QStringList completedList = QDir(office).entryList(QDir::Files);
        const QSet<QString> completed(completedList.cbegin(), completedList.cend());
        for (const QString &name : std::as_const(added)) {
            QVERIFY2(completed.contains(name),
                     qPrintable(QStringLiteral("round %1: %2 missing, %3 of %4 written before the kill").arg(round).arg(name).arg(written).arg(added.size())));
        }
        checkItemsWhole();
        // A completed update leaves nothing of its own behind ...
        QCOMPARE(QDir(menuDir()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());

        // ... so an item the user removes afterwards stays removed.
        QVERIFY(QFile::remove(office + QLatin1Char('/') + added.first()));
        QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        QVERIFY(!QFileInfo::exists(office + QLatin1Char('/') + added.first()));
    }
    QVERIFY2(interrupted > 0, "no update was killed before it had written all its items");
    qInfo("%d of %d updates killed halfway", interrupted, killedUpdates);
}

void CrashSafetyTest::concurrentGenerations()
{
    for (int round = 0; round < concurrentRounds; ++round) {
        if (round % 2 == 1) {
            QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        }
        QProcess first;
        QProcess second;
        startTool(first, {QStringLiteral("menu"), QStringLiteral("reset")});
        startTool(second, {QStringLiteral("menu"), QStringLiteral("reset")});
        QVERIFY(first.waitForFinished(toolTimeoutMs));
        QVERIFY(second.waitForFinished(toolTimeoutMs));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);

        checkItemsWhole();
        QVERIFY(runTool({QStringLiteral("menu"), QStringLiteral("update")}));
        checkTreeAsReference();
        if (QTest::currentTestFailed()) {
            qInfo("failed after round %d", round);
            return;
        }
    }
}

void CrashSafetyTest::concurrentSettingsSaves_data()
{
    QTest::addColumn<QStringList>("firstChange");
    QTest::addColumn<QStringList>("secondChange");

    QTest::addRow("two start-menu writers") << QStringList{QStringLiteral("appsMode"), QStringLiteral("list")}
                                            << QStringList{QStringLiteral("defaultTab"), QStringLiteral("recent")};
    QTest::addRow("a start-menu and a search writer") << QStringList{QStringLiteral("enableFavorites"), QStringLiteral("false")}
                                                      << QStringList{QStringLiteral("indexSizeLimit"), QStringLiteral("42")};
    QTest::addRow("two search writers") << QStringList{QStringLiteral("indexArchives"), QStringLiteral("true")}
                                        << QStringList{QStringLiteral("idleModeIndexing"), QStringLiteral("true")};
}

void CrashSafetyTest::concurrentSettingsSaves()
{
    QFETCH(QStringList, firstChange);
    QFETCH(QStringList, secondChange);

    // The values each writer may leave, learnt from writers that run one after the other.
    const auto valuesAfter = [this](const QList<QStringList> &changes) {
        QFile::remove(TestSupport::preferencesFile());
        for (const QStringList &change : changes) {
            runTool(QStringList{QStringLiteral("settings"), QStringLiteral("set")} + change);
        }
        QSettings settings(TestSupport::preferencesFile(), QSettings::NativeFormat);
        return std::make_pair(valuesOf(settings, menuKeys()), valuesOf(settings, searchKeys()));
    };
    const auto base = valuesAfter({});
    const auto afterFirst = valuesAfter({firstChange});
    const auto afterSecond = valuesAfter({secondChange});
    const auto afterBoth = valuesAfter({firstChange, secondChange});
    const auto afterBothReversed = valuesAfter({secondChange, firstChange});
    QVERIFY(afterFirst != base && afterSecond != base);
    const QList<std::pair<Values, Values>> outcomes{afterFirst, afterSecond, afterBoth, afterBothReversed};

    for (int round = 0; round < settingsRounds; ++round) {
        QFile::remove(TestSupport::preferencesFile());
        QProcess first;
        QProcess second;
        startTool(first, QStringList{QStringLiteral("settings"), QStringLiteral("set")} + firstChange);
        startTool(second, QStringList{QStringLiteral("settings"), QStringLiteral("set")} + secondChange);
        QVERIFY(first.waitForFinished(toolTimeoutMs));
        QVERIFY(second.waitForFinished(toolTimeoutMs));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);

        QSettings settings(TestSupport::preferencesFile(), QSettings::NativeFormat);
        settings.allKeys();
        QCOMPARE(settings.status(), QSettings::NoError);
        const std::pair<Values, Values> stored{valuesOf(settings, menuKeys()), valuesOf(settings, searchKeys())};
        // Each class's keys are one writer's whole set; a writer of one class never undoes the other's.
        const bool oneWritersSet = std::any_of(outcomes.cbegin(),
                                               outcomes.cend(),
                                               [&stored](const std::pair<Values, Values> &outcome) {
                                                   return outcome.first == stored.first;
                                               })
            && std::any_of(outcomes.cbegin(), outcomes.cend(), [&stored](const std::pair<Values, Values> &outcome) {
                                       return outcome.second == stored.second;
                                   });
        QVERIFY2(oneWritersSet, qPrintable(QStringLiteral("round %1:\n%2\n%3").arg(round).arg(describe(stored.first), describe(stored.second))));
        const bool differentClasses = (afterFirst.first == base.first) != (afterSecond.first == base.first);
        if (differentClasses) {
            QVERIFY2(stored == afterBoth,
                     qPrintable(QStringLiteral("round %1: a change was lost:\n%2\n%3").arg(round).arg(describe(stored.first), describe(stored.second))));
        }
    }
}

QTEST_GUILESS_MAIN(CrashSafetyTest)

#include "crashsafetytest.moc"
