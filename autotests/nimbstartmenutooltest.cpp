/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// Runs the built nimb-startmenu tool on the demo root, as a user would.

#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
}

class NimbStartMenuToolTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void menuUpdate();
    void menuShowInTheUsersLanguage();
    void search_data();
    void search();
    void searchJson_data();
    void searchJson();
    void updateState();
    void activateWithoutUpdateService();
    void settingsRoundTrip();
    void settingsErrors_data();
    void settingsErrors();
    void classicMenuRoundTrip();
    void fileIndexerFolders();
    void fileIndexerWithoutItsTool();
    void fileIndexerNotRunning();
    void usageErrors_data();
    void usageErrors();
    void helpForEveryCommand_data();
    void helpForEveryCommand();
    void watchReportsNewApplication();
    void noMenuTree_data();
    void noMenuTree();
    void oneJsonDocument_data();
    void oneJsonDocument();
    void optionsAfterTheCommand();
    void entryReasons_data();
    void entryReasons();
    void escapesTextFromFiles_data();
    void escapesTextFromFiles();
    void readOnlyCommandsWriteNothing_data();
    void readOnlyCommandsWriteNothing();
    void settingsMessages_data();
    void settingsMessages();

private:
    QProcessEnvironment environment() const;
    Run run(const QStringList &arguments, const QProcessEnvironment &extra = QProcessEnvironment());
    QJsonObject runJson(const QStringList &arguments, const QProcessEnvironment &extra = QProcessEnvironment());

    QString m_tool;
    std::unique_ptr<QTemporaryDir> m_home;
};

void NimbStartMenuToolTest::initTestCase()
{
    m_tool = QCoreApplication::applicationDirPath() + QStringLiteral("/nimb-startmenu");
    QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
    QVERIFY(QFileInfo(QStringLiteral(DEMO_ROOT "/usr/share/nimb-start-menu/startmenu/office/.directory")).isFile());
}

void NimbStartMenuToolTest::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

QProcessEnvironment NimbStartMenuToolTest::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : {QStringLiteral("LANG"), QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES"), QStringLiteral("XDG_DATA_DIRS")}) {
        environment.remove(variable);
    }
    // Whatever the machine has, the tool must not reach a real bus.
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_home->path() + QStringLiteral("/no-bus"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_home->path() + QStringLiteral("/no-bus"));
    return environment;
}

Run NimbStartMenuToolTest::run(const QStringList &arguments, const QProcessEnvironment &extra)
{
    QProcessEnvironment env = environment();
    env.insert(extra);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(m_tool, QStringList{QStringLiteral("--root"), QStringLiteral(DEMO_ROOT), QStringLiteral("--home"), m_home->path()} + arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QJsonObject NimbStartMenuToolTest::runJson(const QStringList &arguments, const QProcessEnvironment &extra)
{
    const Run result = run(QStringList{QStringLiteral("--json")} + arguments, extra);
    if (result.exitCode != 0) {
        qWarning() << result.err;
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}

void NimbStartMenuToolTest::menuUpdate()
{
    const Run first = run({QStringLiteral("menu"), QStringLiteral("update")});
    QCOMPARE(first.exitCode, 0);
    QVERIFY2(first.err.isEmpty(), first.err.constData());
    const QStringList lines = QString::fromUtf8(first.out).trimmed().split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("added Abacus (utilities/abacus-calculator.desktop)")));
    const QRegularExpression summary(QStringLiteral("^(\\d+) added, (\\d+) items in (.+), in \\d+ ms$"));
    const QRegularExpressionMatch match = summary.match(lines.last());
    QVERIFY2(match.hasMatch(), qPrintable(lines.last()));
    QCOMPARE(match.captured(1), match.captured(2));
    QCOMPARE(match.captured(3), m_home->path() + QStringLiteral("/.nimb/startmenu2"));
    QCOMPARE(lines.size(), match.captured(1).toInt() + 1);

    // Nothing changed: nothing added.
    const QJsonObject again = runJson({QStringLiteral("menu"), QStringLiteral("update")});
    QCOMPARE(again.value(QStringLiteral("added")).toArray().size(), 0);
    QCOMPARE(again.value(QStringLiteral("items")).toInt(), match.captured(2).toInt());

    // A reset writes everything again; the dropped entries stay out.
    const QJsonObject reset = runJson({QStringLiteral("menu"), QStringLiteral("reset")});
    const QJsonArray added = reset.value(QStringLiteral("added")).toArray();
    QCOMPARE(added.size(), match.captured(2).toInt());
    QVERIFY(added.contains(QJsonObject{{QStringLiteral("category"), QStringLiteral("utilities")},
                                       {QStringLiteral("file"), QStringLiteral("abacus-calculator.desktop")},
                                       {QStringLiteral("name"), QStringLiteral("Abacus")}}));
    for (const auto &item : added) {
        const QString file = item.toObject().value(QStringLiteral("file")).toString();
        QVERIFY2(!QStringList({QStringLiteral("hidden-helper.desktop"),
                               QStringLiteral("kcm_demo_mouse.desktop"),
                               QStringLiteral("yast-printer.desktop"),
                               QStringLiteral("talvo-display-settings.desktop"),
                               QStringLiteral("other-desktop-panel.desktop")})
                      .contains(file),
                 qPrintable(file));
    }
}

void NimbStartMenuToolTest::menuShowInTheUsersLanguage()
{
    const Run missing = run({QStringLiteral("menu"), QStringLiteral("show")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.contains("menu update"));

    QCOMPARE(run({QStringLiteral("menu"), QStringLiteral("update")}).exitCode, 0);
    QProcessEnvironment german;
    german.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    const QJsonArray categories = runJson({QStringLiteral("menu"), QStringLiteral("show")}, german).value(QStringLiteral("categories")).toArray();
    QVERIFY(!categories.isEmpty());

    QStringList names;
    QJsonObject office;
    for (const auto &value : categories) {
        const QJsonObject category = value.toObject();
        names.append(category.value(QStringLiteral("name")).toString());
        QCOMPARE(category.value(QStringLiteral("priority")).toInt(), names.size() - 1);
        if (category.value(QStringLiteral("id")).toString() == QLatin1String("office")) {
            office = category;
        }
    }
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(names, sorted);
    QCOMPARE(office.value(QStringLiteral("name")).toString(), QStringLiteral("Büro"));
    QCOMPARE(office.value(QStringLiteral("icon")).toString(), QStringLiteral("applications-office"));

    const QJsonArray applications = office.value(QStringLiteral("applications")).toArray();
    QStringList applicationNames;
    for (const auto &application : applications) {
        applicationNames.append(application.toObject().value(QStringLiteral("name")).toString());
    }
    QVERIFY(!applicationNames.isEmpty());
    QStringList sortedApplications = applicationNames;
    std::sort(sortedApplications.begin(), sortedApplications.end());
    QCOMPARE(applicationNames, sortedApplications);

    const Run text = run({QStringLiteral("menu"), QStringLiteral("show")}, german);
    QCOMPARE(text.exitCode, 0);
    QVERIFY(QString::fromUtf8(text.out).contains(QStringLiteral("Büro [office]\n")));
}

void NimbStartMenuToolTest::search_data()
{
    QTest::addColumn<QStringList>("query");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("id");

    QTest::addRow("exact name") << QStringList{QStringLiteral("Abacus")} << QStringLiteral("Abacus") << QStringLiteral("application")
                                << QStringLiteral("abacus-calculator.desktop");
    QTest::addRow("two words") << QStringList{QStringLiteral("text"), QStringLiteral("editor")} << QStringLiteral("Textloom") << QStringLiteral("application")
                               << QStringLiteral("io.nimbdemo.Textloom.desktop");
    QTest::addRow("one letter") << QStringList{QStringLiteral("t")} << QStringLiteral("Tally Sheets") << QStringLiteral("application")
                                << QStringLiteral("io.nimbdemo.TallySheets.desktop");
    QTest::addRow("power action") << QStringList{QStringLiteral("reboot")} << QStringLiteral("Restart") << QStringLiteral("power action")
                                  << QStringLiteral("reboot.desktop");
    QTest::addRow("settings module") << QStringList{QStringLiteral("glidepoint")} << QStringLiteral("Glidepoint") << QStringLiteral("settings module")
                                     << QStringLiteral("kcm_demo_mouse");
    QTest::addRow("settings module keyword") << QStringList{QStringLiteral("mouse")} << QStringLiteral("Glidepoint") << QStringLiteral("settings module")
                                             << QStringLiteral("kcm_demo_mouse");
    QTest::addRow("settings item") << QStringList{QStringLiteral("printer")} << QStringLiteral("Printer") << QStringLiteral("settings item")
                                   << QStringLiteral("yast-printer.desktop");
}

void NimbStartMenuToolTest::search()
{
    QFETCH(QStringList, query);
    QFETCH(QString, firstText);
    QFETCH(QString, kind);
    QFETCH(QString, id);

    const Run result = run(QStringList{QStringLiteral("search")} + query + QStringList{QStringLiteral("--limit"), QStringLiteral("1")});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = QString::fromUtf8(result.out).trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2); // one match in one line, and the summary
    QCOMPARE(lines.first().split(QRegularExpression(QStringLiteral("  +"))), (QStringList{QStringLiteral("1"), firstText, kind, id}));
    const QRegularExpressionMatch summary =
        QRegularExpression(QStringLiteral("^(\\d+) (match|matches) for \"%1\"(, 1 shown)?$").arg(query.join(QLatin1Char(' ')))).match(lines.last());
    QVERIFY2(summary.hasMatch(), qPrintable(lines.last()));
    const int count = summary.captured(1).toInt();
    QCOMPARE(summary.captured(2), count == 1 ? QStringLiteral("match") : QStringLiteral("matches"));
    QCOMPARE(summary.captured(3).isEmpty(), count == 1);
}

void NimbStartMenuToolTest::searchJson_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("settingsModules");

    // The settings modules are the demo root's; those of the machine are never found.
    QTest::addRow("applications") << QStringLiteral("t") << 0;
    QTest::addRow("applications and a settings module") << QStringLiteral("n") << 1;
}

void NimbStartMenuToolTest::searchJson()
{
    QFETCH(QString, query);
    QFETCH(int, settingsModules);

    const QJsonObject result = runJson({QStringLiteral("search"), query});
    const QJsonArray matches = result.value(QStringLiteral("matches")).toArray();
    QCOMPARE(result.value(QStringLiteral("query")).toString(), query);
    QCOMPARE(result.value(QStringLiteral("count")).toInt(), matches.size());
    QVERIFY(matches.size() > 4);
    double previous = 1.0;
    int modules = 0;
    for (const auto &value : matches) {
        const QJsonObject match = value.toObject();
        const double relevance = match.value(QStringLiteral("relevance")).toDouble();
        QVERIFY(relevance < previous);
        previous = relevance;
        QVERIFY(!match.value(QStringLiteral("text")).toString().isEmpty());
        const QString subtext = match.value(QStringLiteral("subtext")).toString();
        const QString data = match.value(QStringLiteral("data")).toString();
        if (data.startsWith(QLatin1String("kcm://"))) {
            ++modules;
            QVERIFY2(subtext.startsWith(QStringLiteral(DEMO_ROOT "/usr/lib/qt5/plugins/plasma/kcms/")), qPrintable(subtext));
            QCOMPARE(data, QStringLiteral("kcm://") + QFileInfo(subtext).completeBaseName());
        } else {
            QCOMPARE(data, QUrl::fromLocalFile(subtext).toString());
        }
    }
    QCOMPARE(modules, settingsModules);
    // The menu tree's copies stand in for the demo's files.
    QVERIFY(matches.first().toObject().value(QStringLiteral("subtext")).toString().startsWith(m_home->path() + QStringLiteral("/.nimb/startmenu2/")));
}

void NimbStartMenuToolTest::updateState()
{
    const QJsonObject state = runJson({QStringLiteral("update-state")});
    QCOMPARE(state.value(QStringLiteral("updateAvailable")), QJsonValue(false));
    QCOMPARE(state.value(QStringLiteral("updateActive")), QJsonValue(false));
    QCOMPARE(state.value(QStringLiteral("icon")).toString(), QStringLiteral("start-menu-shutdown-symbolic"));

    const Run text = run({QStringLiteral("update-state")});
    QCOMPARE(text.exitCode, 0);
    QVERIFY(text.out.contains("power icon:             start-menu-shutdown-symbolic"));
}

void NimbStartMenuToolTest::activateWithoutUpdateService()
{
    const Run result = run({QStringLiteral("update-state"), QStringLiteral("activate")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("system bus"), result.err.constData());
    QVERIFY(result.out.isEmpty());
}

void NimbStartMenuToolTest::settingsRoundTrip()
{
    const QJsonObject set = runJson({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("appsMode"), QStringLiteral("list")});
    QCOMPARE(set, (QJsonObject{{QStringLiteral("name"), QStringLiteral("appsMode")}, {QStringLiteral("value"), QStringLiteral("list")}}));
    QCOMPARE(run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("enableSortAppsAlphabatically"), QStringLiteral("true")}).exitCode, 0);
    QCOMPARE(run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("indexSizeLimit"), QStringLiteral("5000000000")}).exitCode, 0);

    QJsonObject shown = runJson({QStringLiteral("settings"), QStringLiteral("show")});
    const QJsonObject menu = shown.value(QStringLiteral("menu")).toObject();
    QCOMPARE(menu.value(QStringLiteral("appsMode")).toString(), QStringLiteral("list"));
    QCOMPARE(menu.value(QStringLiteral("enableSortAppsAlphabatically")), QJsonValue(true));
    QCOMPARE(menu.value(QStringLiteral("tabs")).toArray().size(), 6);
    QCOMPARE(shown.value(QStringLiteral("search")).toObject().value(QStringLiteral("indexSizeLimit")).toDouble(), 5000000000.0);

    const Run reset = run({QStringLiteral("settings"), QStringLiteral("reset"), QStringLiteral("appsMode")});
    QCOMPARE(reset.exitCode, 0);
    QCOMPARE(reset.out, QByteArray("appsMode = tree\n"));
    shown = runJson({QStringLiteral("settings"), QStringLiteral("show")});
    QCOMPARE(shown.value(QStringLiteral("menu")).toObject().value(QStringLiteral("appsMode")).toString(), QStringLiteral("tree"));
    QCOMPARE(shown.value(QStringLiteral("menu")).toObject().value(QStringLiteral("enableSortAppsAlphabatically")), QJsonValue(true));

    QFile file(m_home->path() + QStringLiteral("/.config/kolvatek/nimb-start-menu.conf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll();
    QVERIFY(contents.contains("appsMode=tree\n"));
    QVERIFY(contents.contains("indexSizeLimit=5000000000\n"));
}

void NimbStartMenuToolTest::settingsErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::addRow("unknown preference") << QStringList{QStringLiteral("set"), QStringLiteral("volume"), QStringLiteral("11")} << 2
                                        << QStringLiteral("unknown preference \"volume\"");
    QTest::addRow("not a bool") << QStringList{QStringLiteral("set"), QStringLiteral("showTooltips"), QStringLiteral("maybe")} << 2
                                << QStringLiteral("showTooltips takes true or false");
    QTest::addRow("not a number") << QStringList{QStringLiteral("set"), QStringLiteral("indexSizeLimit"), QStringLiteral("big")} << 2
                                  << QStringLiteral("indexSizeLimit takes a number");
    QTest::addRow("missing value") << QStringList{QStringLiteral("set"), QStringLiteral("appsMode")} << 2
                                   << QStringLiteral("wrong number of arguments for \"settings set\"");
    QTest::addRow("no default") << QStringList{QStringLiteral("reset"), QStringLiteral("autoRefresh")} << 2 << QStringLiteral("autoRefresh has no default");
    QTest::addRow("not stored by the start menu") << QStringList{QStringLiteral("set"), QStringLiteral("enableDebug"), QStringLiteral("true")} << 1
                                                  << QStringLiteral("enableDebug is not stored");
}

void NimbStartMenuToolTest::settingsErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const Run result = run(QStringList{QStringLiteral("settings")} + arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith((QStringLiteral("nimb-startmenu: ") + message).toUtf8()), result.err.constData());
}

void NimbStartMenuToolTest::classicMenuRoundTrip()
{
    QProcessEnvironment withTool;
    withTool.insert(QStringLiteral("PATH"), QCoreApplication::applicationDirPath() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
    QCOMPARE(run({QStringLiteral("classic-menu")}, withTool).out, QByteArray("classic menu: off\n"));
    QCOMPARE(run({QStringLiteral("classic-menu"), QStringLiteral("on")}, withTool).out, QByteArray("classic menu: on\n"));
    QCOMPARE(runJson({QStringLiteral("classic-menu")}, withTool), (QJsonObject{{QStringLiteral("classicMenu"), true}}));
    QCOMPARE(run({QStringLiteral("classic-menu"), QStringLiteral("off")}, withTool).out, QByteArray("classic menu: off\n"));

    QProcessEnvironment withoutTool;
    withoutTool.insert(QStringLiteral("PATH"), m_home->path() + QStringLiteral("/empty"));
    const Run missing = run({QStringLiteral("classic-menu"), QStringLiteral("on")}, withoutTool);
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains("nimb-wmfunc is not installed"), missing.err.constData());
    QCOMPARE(run({QStringLiteral("classic-menu"), QStringLiteral("sideways")}, withTool).exitCode, 2);
}

void NimbStartMenuToolTest::fileIndexerFolders()
{
    const QString home = m_home->path() + QLatin1Char('/');
    const QString documents = home + QStringLiteral("documents/");
    const auto folders = [this](const QStringList &edit) {
        QStringList rows;
        const QJsonObject result = runJson(QStringList{QStringLiteral("files"), QStringLiteral("folders")} + edit);
        for (const auto &value : result.value(QStringLiteral("folders")).toArray()) {
            const QJsonObject row = value.toObject();
            rows.append(QStringLiteral("%1 %2")
                            .arg(row.value(QStringLiteral("included")).toBool() ? QLatin1Char('+') : QLatin1Char('-'))
                            .arg(row.value(QStringLiteral("folder")).toString()));
        }
        return rows;
    };

    // The indexer's own default: the home folder.
    QCOMPARE(folders({}), QStringList{QStringLiteral("+ ") + home});
    QCOMPARE(folders({QStringLiteral("add"), m_home->path() + QStringLiteral("/documents")}),
             (QStringList{QStringLiteral("+ ") + home, QStringLiteral("+ ") + documents}));
    QCOMPARE(folders({QStringLiteral("exclude"), documents}), (QStringList{QStringLiteral("+ ") + home, QStringLiteral("- ") + documents}));

    // Saved for the indexer, in its own configuration file.
    QFile configuration(m_home->path() + QStringLiteral("/.config/baloofilerc"));
    QVERIFY(configuration.open(QIODevice::ReadOnly));
    QVERIFY2(configuration.readAll().contains("exclude folders[$e]=$HOME/documents/"), "excluded folder not saved");
    configuration.close();

    // Removing the last included folder brings the home folder back.
    QCOMPARE(folders({QStringLiteral("remove"), home}), (QStringList{QStringLiteral("+ ") + home, QStringLiteral("- ") + documents}));
    const Run text = run({QStringLiteral("files"), QStringLiteral("folders")});
    QCOMPARE(text.out, QByteArray("indexed      ~/\nnot indexed  ~/documents/\n"));
    QCOMPARE(text.err, QByteArray("nimb-startmenu: warning: the folder ") + documents.toUtf8() + " does not exist\n");
    const Run unknown = run({QStringLiteral("files"), QStringLiteral("folders"), QStringLiteral("remove"), QStringLiteral("/nowhere")});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.err.startsWith("nimb-startmenu: /nowhere/ is not among the indexer's folders"));
}

void NimbStartMenuToolTest::fileIndexerWithoutItsTool()
{
    QProcessEnvironment withoutTool;
    withoutTool.insert(QStringLiteral("PATH"), m_home->path() + QStringLiteral("/empty"));
    for (const QString &action : {QStringLiteral("status"), QStringLiteral("suspend")}) {
        const Run result = run({QStringLiteral("files"), action}, withoutTool);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("balooctl is not installed"), result.err.constData());
        QVERIFY(result.out.isEmpty());
    }
}

void NimbStartMenuToolTest::fileIndexerNotRunning()
{
    // A balooctl that answers nothing, and no bus: the indexer's counts are only neutral answers.
    const QString stub = m_home->path() + QStringLiteral("/bin/balooctl");
    TestSupport::writeFile(stub, "#!/bin/sh\nexit 0\n");
    QVERIFY(QFile::setPermissions(stub, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QProcessEnvironment withStub;
    withStub.insert(QStringLiteral("PATH"), m_home->path() + QStringLiteral("/bin"));
    const Run result = run({QStringLiteral("files"), QStringLiteral("status")}, withStub);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("the file indexer is not running\n"));
}

void NimbStartMenuToolTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::addRow("no command") << QStringList() << QStringLiteral("no command given");
    QTest::addRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << QStringLiteral("unknown command \"frobnicate\"");
    QTest::addRow("unknown global option") << QStringList{QStringLiteral("--loud"), QStringLiteral("menu")} << QStringLiteral("Unknown option 'loud'");
    QTest::addRow("menu without action") << QStringList{QStringLiteral("menu")} << QStringLiteral("menu needs an action");
    QTest::addRow("unknown menu action") << QStringList{QStringLiteral("menu"), QStringLiteral("burn")} << QStringLiteral("unknown menu action \"burn\"");
    QTest::addRow("search without query") << QStringList{QStringLiteral("search")} << QStringLiteral("search needs a query");
    QTest::addRow("limit not a number") << QStringList{QStringLiteral("search"), QStringLiteral("x"), QStringLiteral("--limit"), QStringLiteral("many")}
                                        << QStringLiteral("--limit needs a number");
    QTest::addRow("unknown command option") << QStringList{QStringLiteral("search"), QStringLiteral("--fast"), QStringLiteral("x")}
                                            << QStringLiteral("Unknown option 'fast'");
    QTest::addRow("update-state with a word") << QStringList{QStringLiteral("update-state"), QStringLiteral("now")}
                                              << QStringLiteral("update-state takes nothing or \"activate\"");
    QTest::addRow("files without action") << QStringList{QStringLiteral("files")} << QStringLiteral("files needs an action");
    QTest::addRow("unknown files action") << QStringList{QStringLiteral("files"), QStringLiteral("reindex")}
                                          << QStringLiteral("unknown files action \"reindex\"");
    QTest::addRow("folders edit without a path") << QStringList{QStringLiteral("files"), QStringLiteral("folders"), QStringLiteral("add")}
                                                 << QStringLiteral("files folders takes nothing, or add");
    QTest::addRow("watch with an argument") << QStringList{QStringLiteral("watch"), QStringLiteral("x")} << QStringLiteral("watch takes no arguments");
    QTest::addRow("empty home") << QStringList{QStringLiteral("paths"), QStringLiteral("--home"), QString()} << QStringLiteral("--home needs a folder");
    QTest::addRow("settings get without a name") << QStringList{QStringLiteral("settings"), QStringLiteral("get")}
                                                 << QStringLiteral("wrong number of arguments for \"settings get\"");
}

void NimbStartMenuToolTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    const QStringList lines = QString::fromUtf8(result.err).trimmed().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.first().startsWith(QStringLiteral("nimb-startmenu: ") + message), qPrintable(lines.first()));
    QVERIFY2(lines.last().startsWith(QLatin1String("Usage: ")), qPrintable(lines.last()));
}

void NimbStartMenuToolTest::helpForEveryCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("option");
    for (const char *command : {"", "menu", "search", "watch", "update-state", "settings", "classic-menu", "files", "paths", "entry"}) {
        for (const char *option : {"--help", "--help-all"}) {
            QTest::addRow("%s %s", *command ? command : "the tool", option) << QString::fromLatin1(command) << QString::fromLatin1(option);
        }
    }
}

void NimbStartMenuToolTest::helpForEveryCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, option);
    QStringList arguments;
    if (!command.isEmpty()) {
        arguments.append(command);
    }
    const Run result = run(arguments + QStringList{option});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    QVERIFY2(result.out.startsWith("Usage: "), result.out.constData());
    if (!command.isEmpty()) {
        QVERIFY2(result.out.contains(QStringLiteral(" %1").arg(command).toUtf8()), result.out.constData());
    }
    for (const char *global : {"--root <DIR>", "--home <DIR>", "--json", "--verbose", "--debug"}) {
        QVERIFY2(result.out.contains(global), global);
    }
    // Every command named in the help has its page in the manual and its completion.
    if (command.isEmpty() && option == QLatin1String("--help")) {
        const QByteArray commands =
            result.out.mid(result.out.indexOf("Commands"), result.out.indexOf("\n\n", result.out.indexOf("Commands")) - result.out.indexOf("Commands"));
        const QByteArray manual = TestSupport::readFile(QStringLiteral(TOOL_SOURCE_DIR "/nimb-startmenu.1"));
        const QByteArray completion = TestSupport::readFile(QStringLiteral(TOOL_SOURCE_DIR "/nimb-startmenu.bash"));
        QByteArrayList names;
        for (const QByteArray &line : commands.split('\n').mid(1)) {
            names.append(line.trimmed().split(' ').first());
        }
        QCOMPARE(names.size(), 9);
        const QRegularExpression completionCommands(QStringLiteral("\n\\s*local commands=\"([^\"]*)\""));
        QCOMPARE(completionCommands.match(QString::fromUtf8(completion)).captured(1).toUtf8().split(' '), names);
        for (const QByteArray &name : qAsConst(names)) {
            QVERIFY2(manual.contains("\n.SS " + name + "\n") || manual.contains("\n.SS " + name + " "), name.constData());
        }
    }
}

void NimbStartMenuToolTest::watchReportsNewApplication()
{
    const QString userApplications = m_home->path() + QStringLiteral("/.local/share/applications");
    QVERIFY(QDir().mkpath(userApplications));

    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(
        m_tool,
        {QStringLiteral("--root"), QStringLiteral(DEMO_ROOT), QStringLiteral("--home"), m_home->path(), QStringLiteral("--json"), QStringLiteral("watch")});
    QVERIFY(process.waitForStarted());
    QByteArray output;
    const auto readLines = [&process, &output] {
        output += process.readAllStandardOutput();
        return output.count('\n');
    };
    // The first line reports the update that creates the tree.
    QTRY_VERIFY_WITH_TIMEOUT(readLines() >= 1, 30000);
    const QJsonObject first = QJsonDocument::fromJson(output.left(output.indexOf('\n'))).object();
    QVERIFY(first.value(QStringLiteral("added")).toArray().size() > 40);
    const QString time = first.value(QStringLiteral("time")).toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z)$")).match(time).hasMatch(), qPrintable(time));

    // The new file must be newer than its category folder, as an installed one would be.
    const QString office = m_home->path() + QStringLiteral("/.nimb/startmenu2/office");
    const QString probe = m_home->path() + QStringLiteral("/.nimb/probe");
    do {
        QFile file(probe);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } while (QFileInfo(probe).metadataChangeTime() <= QFileInfo(office).metadataChangeTime());

    QFile application(userApplications + QStringLiteral("/io.nimbdemo.Ledger.desktop"));
    QVERIFY(application.open(QIODevice::WriteOnly));
    application.write("[Desktop Entry]\nType=Application\nName=Ledger Test\nExec=ledger\nCategories=Office;Finance;\n");
    application.close();

    QTRY_VERIFY_WITH_TIMEOUT(output.contains("io.nimbdemo.Ledger.desktop") || (readLines(), output.contains("io.nimbdemo.Ledger.desktop")), 30000);
    const QList<QByteArray> lines = output.trimmed().split('\n');
    QJsonArray added;
    for (const QByteArray &line : lines) {
        const QJsonArray lineAdded = QJsonDocument::fromJson(line).object().value(QStringLiteral("added")).toArray();
        if (lineAdded.contains(QJsonObject{{QStringLiteral("category"), QStringLiteral("office")},
                                           {QStringLiteral("file"), QStringLiteral("io.nimbdemo.Ledger.desktop")},
                                           {QStringLiteral("name"), QStringLiteral("Ledger Test")}})) {
            added = lineAdded;
        }
    }
    QCOMPARE(added.size(), 1);

    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

enum class Setup {
    NoTemplate,
    NoDataFolder,
    HomeIsAFile,
    NoRoot,
};
Q_DECLARE_METATYPE(Setup)

void NimbStartMenuToolTest::noMenuTree_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString noTemplate = QStringLiteral("there is no menu template folder %1/usr/share/nimb-start-menu/startmenu");
    const QString noData = QStringLiteral("there is no folder %1/usr/share/nimb-start-menu of the library's installed data");
    const QString homeIsAFile = QStringLiteral("cannot create the folder %1/.nimb of the menu tree: Not a directory");
    const QString noRoot = QStringLiteral("the system root \"%1\" given with --root is not a folder");
    const QStringList update{QStringLiteral("menu"), QStringLiteral("update")};
    const QStringList search{QStringLiteral("search"), QStringLiteral("abacus")};
    const QStringList watch{QStringLiteral("watch")};
    QTest::addRow("menu update, no template") << update << Setup::NoTemplate << 1 << noTemplate;
    QTest::addRow("menu update, no data folder") << update << Setup::NoDataFolder << 1 << noData;
    QTest::addRow("menu update, home is a file") << update << Setup::HomeIsAFile << 1 << homeIsAFile;
    QTest::addRow("search, no template") << search << Setup::NoTemplate << 0
                                         << QStringLiteral("warning: ") + noTemplate + QStringLiteral("; searching the application folders only");
    QTest::addRow("watch, no template") << watch << Setup::NoTemplate << 1 << noTemplate;
    QTest::addRow("watch, home is a file") << watch << Setup::HomeIsAFile << 1 << homeIsAFile;
    QTest::addRow("paths, no root") << QStringList{QStringLiteral("paths")} << Setup::NoRoot << 1 << noRoot;
}

void NimbStartMenuToolTest::noMenuTree()
{
    QFETCH(QStringList, command);
    QFETCH(Setup, setup);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    // A root without the template or the data, the demo root with a home that is a file, or no root.
    const bool homeIsAFile = setup == Setup::HomeIsAFile;
    const QString root = homeIsAFile ? QStringLiteral(DEMO_ROOT) : m_home->path() + QStringLiteral("/root");
    const QString home = m_home->path() + QStringLiteral("/home");
    if (setup == Setup::NoTemplate) {
        QVERIFY(QDir().mkpath(root + QStringLiteral("/usr/share/nimb-start-menu")));
    } else if (setup == Setup::NoDataFolder) {
        QVERIFY(QDir().mkpath(root));
    } else if (homeIsAFile) {
        TestSupport::writeFile(home, QByteArray());
    }
    // The last --root and --home count, wherever they stand.
    const Run result = run(command + QStringList{QStringLiteral("--root"), root, QStringLiteral("--home"), home});
    QCOMPARE(result.exitCode, exitCode);
    const QString expected = QStringLiteral("nimb-startmenu: ") + message.arg(homeIsAFile ? home : root) + QLatin1Char('\n');
    QCOMPARE(QString::fromUtf8(result.err), expected);
}

void NimbStartMenuToolTest::oneJsonDocument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("entries"); // the length of the array; -1 for an object

    const QString applications = QStringLiteral(DEMO_ROOT "/usr/share/applications/");
    QTest::addRow("entry, two files") << QStringList{QStringLiteral("entry"),
                                                     applications + QStringLiteral("abacus-calculator.desktop"),
                                                     applications + QStringLiteral("hidden-helper.desktop")}
                                      << 1 << 2;
    QTest::addRow("entry, one file") << QStringList{QStringLiteral("entry"), applications + QStringLiteral("abacus-calculator.desktop")} << 0 << 1;
    QTest::addRow("search") << QStringList{QStringLiteral("search"), QStringLiteral("abacus")} << 0 << -1;
    QTest::addRow("menu show") << QStringList{QStringLiteral("menu"), QStringLiteral("show")} << 0 << -1;
    QTest::addRow("paths") << QStringList{QStringLiteral("paths")} << 0 << -1;
    QTest::addRow("settings show") << QStringList{QStringLiteral("settings"), QStringLiteral("show")} << 0 << -1;
    QTest::addRow("files folders") << QStringList{QStringLiteral("files"), QStringLiteral("folders")} << 0 << -1;
}

void NimbStartMenuToolTest::oneJsonDocument()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, entries);

    QCOMPARE(run({QStringLiteral("menu"), QStringLiteral("update")}).exitCode, 0);
    // --json after the command, as after any command.
    const Run result = run(arguments + QStringList{QStringLiteral("--json")});
    QCOMPARE(result.exitCode, exitCode);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(document.isArray(), entries >= 0);
    if (entries >= 0) {
        QCOMPARE(document.array().size(), entries);
    }
}

void NimbStartMenuToolTest::optionsAfterTheCommand()
{
    // The global options of the command line count wherever they stand; the last of each wins.
    const QString otherRoot = m_home->path() + QStringLiteral("/other-root");
    QVERIFY(QDir().mkpath(otherRoot));
    const Run result = run({QStringLiteral("paths"), QStringLiteral("--root"), otherRoot, QStringLiteral("--json")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(result.out).object().value(QStringLiteral("systemRoot")).toString(), otherRoot);
    // A negative number is a value, not an option.
    const Run negative =
        run({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("indexSizeLimit"), QStringLiteral("-1"), QStringLiteral("--json")});
    QCOMPARE(negative.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(negative.out).object().value(QStringLiteral("value")).toInt(), -1);
}

void NimbStartMenuToolTest::entryReasons_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("menu");

    // "demo/", "home/" and "root/" stand for the demo's application folder, the home and a root of
    // the test's own; in the menu's answer, "{root}" and "{user's jotter}" for that root and the
    // second jotter.desktop, in the user's application folder.
    QTest::addRow("in the menu") << "demo/abacus-calculator.desktop" << 0 << "application"
                                 << "in the menu as utilities/abacus-calculator.desktop";
    QTest::addRow("NoDisplay") << "demo/hidden-helper.desktop" << 1 << "unaccepted"
                               << "left out: NoDisplay is true";
    QTest::addRow("OnlyShowIn") << "demo/other-desktop-panel.desktop" << 1 << "unaccepted"
                                << "left out: OnlyShowIn does not list this desktop";
    QTest::addRow("settings command") << "demo/kcm_demo_mouse.desktop" << 1 << "settings-launcher"
                                      << "left out: its command opens a settings module";
    QTest::addRow("settings-table row") << "demo/talvo-display-settings.desktop" << 1 << "classic-settings"
                                        << "left out: a classic settings item of the settings-applications table";
    QTest::addRow("YaST group") << "demo/yast-printer.desktop" << 1 << "classic-settings"
                                << "left out: a classic settings item by its X-SuSE-YaST-Group";
    QTest::addRow("earlier file of the same name") << "demo/jotter.desktop" << 0 << "application"
                                                   << "left out: the menu's item utilities/jotter.desktop is the file of the same name {user's jotter}";
    QTest::addRow("excluded folder") << "root/usr/share/applications/nimbdesktop/panel.desktop" << 1 << "excluded"
                                     << "left out: it lies in {root}/usr/share/applications/nimbdesktop, the desktop's own launchers";
    QTest::addRow("outside the application folders") << "home/elsewhere/jotter.desktop" << 0 << "application"
                                                     << "not read: it is in none of the application folders (\"paths\" lists them)";
    QTest::addRow("removed by the user") << "demo/quill-editor.desktop" << 0 << "application"
                                         << "not in the menu tree: removed from it, or not newer than its category folder at the last "
                                            "update (\"menu update\" adds it once the file changes, \"menu reset\" in any case)";
    QTest::addRow("no such file") << "demo/missing.desktop" << 1 << "unaccepted"
                                  << "left out: there is no such file";
    QTest::addRow("folder") << "home/elsewhere" << 1 << "unaccepted"
                            << "left out: it is a folder";
    QTest::addRow("no [Desktop Entry] group") << "home/elsewhere/notes.desktop" << 1 << "unaccepted"
                                              << "left out: it has no [Desktop Entry] group";
}

void NimbStartMenuToolTest::entryReasons()
{
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, kind);
    QFETCH(QString, menu);

    // A second jotter.desktop in the user's folder, met after the demo's: the menu's item is its copy.
    const QString home = m_home->path();
    const QString userJotter = home + QStringLiteral("/.local/share/applications/jotter.desktop");
    const QByteArray jotter = TestSupport::readFile(QStringLiteral(DEMO_ROOT "/usr/share/applications/jotter.desktop"));
    TestSupport::writeFile(userJotter, jotter);
    TestSupport::writeFile(home + QStringLiteral("/elsewhere/jotter.desktop"), jotter);
    TestSupport::writeFile(home + QStringLiteral("/elsewhere/notes.desktop"), "[Notes]\nName=Notes\n");
    const QString root = home + QStringLiteral("/root");
    TestSupport::writeFile(root + QStringLiteral("/usr/share/applications/nimbdesktop/panel.desktop"), jotter);
    QCOMPARE(run({QStringLiteral("menu"), QStringLiteral("update")}).exitCode, 0);
    QDirIterator items(home + QStringLiteral("/.nimb/startmenu2"), {QStringLiteral("quill-editor.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY(items.hasNext());
    QVERIFY(QFile::remove(items.next()));

    file.replace(QStringLiteral("demo/"), QStringLiteral(DEMO_ROOT "/usr/share/applications/"));
    file.replace(QStringLiteral("home/"), home + QLatin1Char('/'));
    const bool ownRoot = file.startsWith(QLatin1String("root/"));
    file.replace(QStringLiteral("root/"), root + QLatin1Char('/'));
    const QStringList rootOption = ownRoot ? QStringList{QStringLiteral("--root"), root} : QStringList();
    const Run result = run(QStringList{QStringLiteral("entry"), file, QStringLiteral("--json")} + rootOption);
    QCOMPARE(result.exitCode, exitCode);
    const QJsonObject entry = QJsonDocument::fromJson(result.out).array().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("kind")).toString(), kind);
    QCOMPARE(entry.value(QStringLiteral("menu")).toString(),
             menu.replace(QStringLiteral("{user's jotter}"), userJotter).replace(QStringLiteral("{root}"), root));
}

void NimbStartMenuToolTest::escapesTextFromFiles_data()
{
    QTest::addColumn<QStringList>("command");

    QTest::addRow("entry") << QStringList{QStringLiteral("entry"), QStringLiteral("%1")};
    QTest::addRow("menu update") << QStringList{QStringLiteral("menu"), QStringLiteral("update")};
    QTest::addRow("menu show") << QStringList{QStringLiteral("menu"), QStringLiteral("show")};
    QTest::addRow("search") << QStringList{QStringLiteral("search"), QStringLiteral("ledger")};
}

void NimbStartMenuToolTest::escapesTextFromFiles()
{
    QFETCH(QStringList, command);

    // A name that would set the terminal's title and colour the rest of the screen red.
    const QString file = m_home->path() + QStringLiteral("/.local/share/applications/io.nimbdemo.Ledger.desktop");
    TestSupport::writeFile(file, "[Desktop Entry]\nType=Application\nName=Ledger\x1b]0;owned\x07\x1b[31m\nExec=ledger\nCategories=Office;\n");
    if (command.first() != QLatin1String("menu") || command.last() != QLatin1String("update")) {
        QCOMPARE(run({QStringLiteral("menu"), QStringLiteral("update")}).exitCode, 0);
    }
    command.replaceInStrings(QStringLiteral("%1"), file);
    const Run result = run(command);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains("Ledger\\x1b]0;owned\\x07\\x1b[31m"), result.out.constData());
    for (const char c : result.out) {
        QVERIFY2(c == '\n' || uchar(c) >= 0x20, result.out.constData());
    }
}

void NimbStartMenuToolTest::readOnlyCommandsWriteNothing_data()
{
    QTest::addColumn<QStringList>("command");

    QTest::addRow("paths") << QStringList{QStringLiteral("paths")};
    QTest::addRow("entry") << QStringList{QStringLiteral("entry"), QStringLiteral(DEMO_ROOT "/usr/share/applications/abacus-calculator.desktop")};
    QTest::addRow("menu show") << QStringList{QStringLiteral("menu"), QStringLiteral("show")};
    QTest::addRow("settings show") << QStringList{QStringLiteral("settings"), QStringLiteral("show")};
    QTest::addRow("settings get") << QStringList{QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("appsMode")};
}

void NimbStartMenuToolTest::readOnlyCommandsWriteNothing()
{
    QFETCH(QStringList, command);

    const QString home = m_home->path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(home));
    QVERIFY(run(command + QStringList{QStringLiteral("--home"), home}).exitCode >= 0);
    QCOMPARE(QDir(home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void NimbStartMenuToolTest::settingsMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::addRow("get") << QStringList{QStringLiteral("get"), QStringLiteral("appsMode")} << QByteArray("tree\n") << QByteArray();
    QTest::addRow("negative number") << QStringList{QStringLiteral("set"), QStringLiteral("indexSizeLimit"), QStringLiteral("-1")}
                                     << QByteArray("indexSizeLimit = -1\n") << QByteArray();
    QTest::addRow("unknown apps mode")
        << QStringList{QStringLiteral("set"), QStringLiteral("appsMode"), QStringLiteral("grid")} << QByteArray("appsMode = grid\n")
        << QByteArray("nimb-startmenu: warning: the start menu knows no appsMode \"grid\" (it knows tree, list); stored all the same\n");
    QTest::addRow("tabs put back") << QStringList{QStringLiteral("set"), QStringLiteral("tabs"), QStringLiteral("apps,leave,params,computer,recent")}
                                   << QByteArray("tabs = apps,favorites,computer,recent,params,leave\nnote: favorites kept in tabs: enableFavorites is true\n")
                                   << QByteArray();
    QTest::addRow("tab taken out") << QStringList{QStringLiteral("set"), QStringLiteral("enableRecent"), QStringLiteral("false")}
                                   << QByteArray("enableRecent = false\nnote: recent taken out of tabs: enableRecent is false\n") << QByteArray();
}

void NimbStartMenuToolTest::settingsMessages()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const Run result = run(QStringList{QStringLiteral("settings")} + arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, out);
    QCOMPARE(result.err, err);
}

QTEST_GUILESS_MAIN(NimbStartMenuToolTest)

#include "nimbstartmenutooltest.moc"
