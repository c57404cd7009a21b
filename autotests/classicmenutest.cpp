/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuutils.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{
const QByteArray endOfCall = "-- end of call";

QString themeFile()
{
    return QDir::homePath() + QStringLiteral("/.nimb/wm/current.themerc");
}

void writeScript(const QString &path, const QByteArray &body)
{
    TestSupport::writeFile(path, "#!/bin/sh\n" + body);
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}
}

class ClassicMenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void isClassicMenuEnabled_data();
    void isClassicMenuEnabled();
    void isClassicMenuEnabledRereadsFile();
    void enableClassicMenuStartsTool_data();
    void enableClassicMenuStartsTool();
    void enableClassicMenuWaitsForTool();
    void missingToolChangesNothing();
    void failingToolChangesNothing();

    void roundTripThroughShippedTool_data();
    void roundTripThroughShippedTool();
    void shippedToolKeepsOtherEntries();
    void shippedToolUsageErrors_data();
    void shippedToolUsageErrors();
    void shippedToolRefusesUnparsableFile();

private:
    void putFirstOnPath(const QString &folder);
    QString shippedTool() const;

    QTemporaryDir m_tempDir;
    QByteArray m_originalPath;
    QString m_recordFile;
    QString m_standInDir;
};

void ClassicMenuTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_tempDir).isEmpty());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_tempDir.path()));

    m_originalPath = qgetenv("PATH");
    m_recordFile = m_tempDir.filePath(QStringLiteral("calls"));
    m_standInDir = m_tempDir.filePath(QStringLiteral("stand-in"));
}

void ClassicMenuTest::init()
{
    QDir(QDir::homePath() + QStringLiteral("/.nimb")).removeRecursively();
    QDir(m_standInDir).removeRecursively();
    QFile::remove(m_recordFile);
    QVERIFY(!QFileInfo::exists(QFileInfo(themeFile()).path()));
}

void ClassicMenuTest::cleanup()
{
    qputenv("PATH", m_originalPath);
}

void ClassicMenuTest::putFirstOnPath(const QString &folder)
{
    qputenv("PATH", QFile::encodeName(folder) + ':' + m_originalPath);
}

QString ClassicMenuTest::shippedTool() const
{
    // The build puts the tests and the tools into one folder.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/nimb-wmfunc");
}

void ClassicMenuTest::isClassicMenuEnabled_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("expected");

    QTest::addRow("missing file") << false << QByteArray() << false;
    QTest::addRow("empty file") << true << QByteArray() << false;
    QTest::addRow("absent key") << true << QByteArray("[General]\nTheme=ClassicMenuTest\n") << false;
    QTest::addRow("true") << true << QByteArray("UseStartButton=true\n") << true;
    QTest::addRow("true in the general section") << true << QByteArray("[General]\nTheme=ClassicMenuTest\nUseStartButton=true\n") << true;
    QTest::addRow("false") << true << QByteArray("UseStartButton=false\n") << false;
    QTest::addRow("digit zero") << true << QByteArray("UseStartButton=0\n") << false;
    QTest::addRow("digit one") << true << QByteArray("UseStartButton=1\n") << true;
    QTest::addRow("empty value") << true << QByteArray("UseStartButton=\n") << false;
    QTest::addRow("true in another group only") << true << QByteArray("[Theme]\nUseStartButton=true\n") << false;
}

void ClassicMenuTest::isClassicMenuEnabled()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    QFETCH(bool, expected);

    if (fileExists) {
        QVERIFY(TestSupport::writeNewVersion(themeFile(), content));
    }
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), expected);
    QCOMPARE(QFileInfo::exists(themeFile()), fileExists);
    if (fileExists) {
        QCOMPARE(TestSupport::readFile(themeFile()), content);
    }
}

void ClassicMenuTest::isClassicMenuEnabledRereadsFile()
{
    QVERIFY(TestSupport::writeNewVersion(themeFile(), "UseStartButton=true\n"));
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), true);
    QVERIFY(TestSupport::writeNewVersion(themeFile(), "UseStartButton=false\n"));
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), false);
    QVERIFY(QFile::remove(themeFile()));
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), false);
}

void ClassicMenuTest::enableClassicMenuStartsTool_data()
{
    QTest::addColumn<bool>("enable");
    QTest::addColumn<QByteArray>("expectedCalls");

    QTest::addRow("enable") << true << QByteArray("NIMBWM_UPDATE_VAL\nUseStartButton\ntrue\n" + endOfCall + '\n');
    QTest::addRow("disable") << false << QByteArray("NIMBWM_UPDATE_VAL\nUseStartButton\nfalse\n" + endOfCall + '\n');
}

void ClassicMenuTest::enableClassicMenuStartsTool()
{
    QFETCH(bool, enable);
    QFETCH(QByteArray, expectedCalls);

    writeScript(m_standInDir + QStringLiteral("/nimb-wmfunc"),
                "{ printf '%s\\n' \"$@\"; echo '" + endOfCall + "'; } >> '" + QFile::encodeName(m_recordFile) + "'\n");
    putFirstOnPath(m_standInDir);

    StartMenuUtils::enableClassicMenu(enable);
    QCOMPARE(TestSupport::readFile(m_recordFile), expectedCalls);
    QVERIFY(!QFileInfo::exists(themeFile()));
}

void ClassicMenuTest::enableClassicMenuWaitsForTool()
{
    // The tool takes its time; the call must not return before it has ended.
    writeScript(m_standInDir + QStringLiteral("/nimb-wmfunc"), "sleep 1\necho \"$3\" > '" + QFile::encodeName(m_recordFile) + "'\n");
    putFirstOnPath(m_standInDir);

    StartMenuUtils::enableClassicMenu(true);
    QCOMPARE(TestSupport::readFile(m_recordFile), QByteArray("true\n"));
}

void ClassicMenuTest::missingToolChangesNothing()
{
    QVERIFY(QDir().mkpath(m_standInDir));
    qputenv("PATH", QFile::encodeName(m_standInDir));
    QVERIFY(QStandardPaths::findExecutable(QStringLiteral("nimb-wmfunc")).isEmpty());
    QVERIFY(TestSupport::writeNewVersion(themeFile(), "UseStartButton=false\n"));

    StartMenuUtils::enableClassicMenu(true);
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), false);
    QCOMPARE(TestSupport::readFile(themeFile()), QByteArray("UseStartButton=false\n"));
}

void ClassicMenuTest::failingToolChangesNothing()
{
    writeScript(m_standInDir + QStringLiteral("/nimb-wmfunc"), "echo 'ClassicMenuTest: failing on purpose' >&2\nexit 3\n");
    putFirstOnPath(m_standInDir);
    QVERIFY(TestSupport::writeNewVersion(themeFile(), "UseStartButton=false\n"));

    StartMenuUtils::enableClassicMenu(true);
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), false);
}

void ClassicMenuTest::roundTripThroughShippedTool_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("enable");

    QTest::addRow("switch on") << true << QByteArray("UseStartButton=false\n") << true;
    QTest::addRow("switch off") << true << QByteArray("UseStartButton=true\n") << false;
    QTest::addRow("switch on, key absent") << true << QByteArray("[General]\nTheme=ClassicMenuTest\n") << true;
    QTest::addRow("switch on, no file nor folder") << false << QByteArray() << true;
    QTest::addRow("switch off, no file nor folder") << false << QByteArray() << false;
}

void ClassicMenuTest::roundTripThroughShippedTool()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    QFETCH(bool, enable);

    QVERIFY2(QFileInfo(shippedTool()).isExecutable(), qPrintable(shippedTool() + QStringLiteral(" is not built")));
    putFirstOnPath(QCoreApplication::applicationDirPath());
    QCOMPARE(QStandardPaths::findExecutable(QStringLiteral("nimb-wmfunc")), shippedTool());
    if (fileExists) {
        QVERIFY(TestSupport::writeNewVersion(themeFile(), content));
    }

    StartMenuUtils::enableClassicMenu(enable);
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), enable);
    QVERIFY(QFileInfo(themeFile()).isFile());

    StartMenuUtils::enableClassicMenu(!enable);
    QCOMPARE(StartMenuUtils::isClassicMenuEnabled(), !enable);
}

void ClassicMenuTest::shippedToolKeepsOtherEntries()
{
    QVERIFY2(QFileInfo(shippedTool()).isExecutable(), qPrintable(shippedTool() + QStringLiteral(" is not built")));
    putFirstOnPath(QCoreApplication::applicationDirPath());
    QVERIFY(TestSupport::writeNewVersion(themeFile(), "[General]\nTheme=ClassicMenuTest\nUseStartButton=false\n\n[Colors]\nAccent=blue\nPanel=dark grey\n"));

    StartMenuUtils::enableClassicMenu(true);
    QVERIFY(StartMenuUtils::isClassicMenuEnabled());

    const QSettings theme(themeFile(), QSettings::IniFormat);
    QCOMPARE(theme.status(), QSettings::NoError);
    QCOMPARE(theme.allKeys(), (QStringList{"Colors/Accent", "Colors/Panel", "Theme", "UseStartButton"}));
    QCOMPARE(theme.value("Theme").toString(), QStringLiteral("ClassicMenuTest"));
    QCOMPARE(theme.value("Colors/Accent").toString(), QStringLiteral("blue"));
    QCOMPARE(theme.value("Colors/Panel").toString(), QStringLiteral("dark grey"));
    QCOMPARE(theme.value("UseStartButton").toString(), QStringLiteral("true"));
}

void ClassicMenuTest::shippedToolUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString usage = QStringLiteral("Usage: nimb-wmfunc NIMBWM_UPDATE_VAL KEY VALUE");
    QTest::addRow("no arguments") << QStringList() << usage;
    QTest::addRow("unknown command") << QStringList{"NIMBWM_GET_VAL", "UseStartButton"} << usage;
    QTest::addRow("command in lower case") << QStringList{"nimbwm_update_val", "UseStartButton", "true"} << usage;
    QTest::addRow("value missing") << QStringList{"NIMBWM_UPDATE_VAL", "UseStartButton"} << usage;
    QTest::addRow("one argument too many") << QStringList{"NIMBWM_UPDATE_VAL", "UseStartButton", "true", "false"} << usage;
    QTest::addRow("empty key") << QStringList{"NIMBWM_UPDATE_VAL", "", "true"} << QStringLiteral("KEY must not be empty");
}

void ClassicMenuTest::shippedToolUsageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QVERIFY2(QFileInfo(shippedTool()).isExecutable(), qPrintable(shippedTool() + QStringLiteral(" is not built")));
    QProcess tool;
    tool.start(shippedTool(), arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY2(QString::fromLocal8Bit(tool.readAllStandardError()).contains(message), qPrintable(message));
    QCOMPARE(tool.readAllStandardOutput(), QByteArray());
    QVERIFY(!QFileInfo::exists(QFileInfo(themeFile()).path()));
}

void ClassicMenuTest::shippedToolRefusesUnparsableFile()
{
    QVERIFY2(QFileInfo(shippedTool()).isExecutable(), qPrintable(shippedTool() + QStringLiteral(" is not built")));
    const QByteArray content = "[General\nUseStartButton=false\nTheme=ClassicMenuTest\n";
    QVERIFY(TestSupport::writeNewVersion(themeFile(), content));

    QProcess tool;
    tool.start(shippedTool(), {"NIMBWM_UPDATE_VAL", "UseStartButton", "true"});
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(tool.readAllStandardError().contains("cannot parse"));
    QCOMPARE(TestSupport::readFile(themeFile()), content);
}

QTEST_GUILESS_MAIN(ClassicMenuTest)

#include "classicmenutest.moc"
