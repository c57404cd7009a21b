/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "logging.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using TestSupport::writeFile;

namespace
{
const QString logSubpath = QStringLiteral("/.cache/nimb-start-menu/nimb-start-menu.log");

// "yyyy-MM-dd hh:mm:ss.zzz: " and what follows it on the line.
const QRegularExpression logLinePattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}: (.*)$"));

QString logPath()
{
    return QDir::homePath() + logSubpath;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The log lines without their time stamps; an empty list when a line lacks one or the last one is not
// ended, so that a comparison with the expected lines fails.
QList<QByteArray> logLines()
{
    const QByteArray content = readFile(logPath());
    if (content.isEmpty()) {
        return {};
    }
    if (!content.endsWith('\n')) {
        return {QByteArrayLiteral("<unterminated>")};
    }
    QList<QByteArray> lines;
    const QList<QByteArray> rawLines = content.left(content.size() - 1).split('\n');
    for (const QByteArray &line : rawLines) {
        const QRegularExpressionMatch match = logLinePattern.match(QString::fromUtf8(line));
        lines.append(match.hasMatch() ? match.captured(1).toUtf8() : QByteArrayLiteral("<no time stamp> ") + line);
    }
    return lines;
}

// Redirects file descriptor 2 into a file for as long as it lives.
class StderrCapture
{
public:
    explicit StderrCapture(const QString &path)
        : m_path(path)
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (m_saved >= 0 && fd >= 0) {
            m_active = ::dup2(fd, STDERR_FILENO) >= 0;
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }

    ~StderrCapture()
    {
        finish();
    }

    bool isActive() const
    {
        return m_active;
    }

    QByteArray finish()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        return readFile(m_path);
    }

private:
    QString m_path;
    int m_saved = -1;
    bool m_active = false;
};
}

class LoggingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void categoryName();
    void messageLines_data();
    void messageLines();
    void appendsToExistingLog();
    void logNotWritable_data();
    void logNotWritable();
    void enableDebugInstallsHandler();
    void disableDebugRemovesHandler();
    void enableDebugTwice();

private:
    QString stderrPath() const;

    QTemporaryDir m_tempDir;
    QString m_home;
    QtMessageHandler m_testHandler = nullptr;
};

void LoggingTest::initTestCase()
{
    m_home = TestSupport::isolate(m_tempDir);
    QVERIFY(!m_home.isEmpty());

    // QTest's own handler, put back after every case that lets the library replace it.
    m_testHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(m_testHandler);
}

void LoggingTest::init()
{
    QVERIFY(QDir(m_home + QStringLiteral("/.cache")).removeRecursively());
    QFile::remove(m_home + QStringLiteral("/.cache"));
    QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.cache")));
}

void LoggingTest::cleanup()
{
    StartMenuUtils::enableDebug(false);
    qInstallMessageHandler(m_testHandler);
    qputenv("HOME", QFile::encodeName(m_home));
}

QString LoggingTest::stderrPath() const
{
    return m_tempDir.path() + QStringLiteral("/stderr.txt");
}

void LoggingTest::categoryName()
{
    QCOMPARE(QByteArray(LOG_GENERAL().categoryName()), QByteArrayLiteral("quorvex.nimb-start-menu"));
    QCOMPARE(&LOG_GENERAL(), &LOG_GENERAL());
    QVERIFY(LOG_GENERAL().isWarningEnabled());
    QVERIFY(LOG_GENERAL().isCriticalEnabled());
}

void LoggingTest::messageLines_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("category"); // null: no category in the context
    QTest::addColumn<QByteArray>("function"); // null: no function name in the context
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("expected"); // the line after the time stamp, also what standard error gets

    const QByteArray category = QByteArrayLiteral("quorvex.nimb-start-menu");
    const QByteArray function = QByteArrayLiteral("void Menu::updateMenu()");

    QTest::addRow("plain text") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("plain LoggingTest text")
                                << QByteArrayLiteral("plain LoggingTest text");
    QTest::addRow("text in quotes") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("\"quoted LoggingTest\"")
                                    << QByteArrayLiteral("quoted LoggingTest");
    QTest::addRow("single quote character") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("\"") << QByteArray();
    QTest::addRow("two quote characters") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("\"\"") << QByteArray();
    QTest::addRow("quotes inside") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("say \"hi\" LoggingTest")
                                   << QByteArrayLiteral("say \"hi\" LoggingTest");
    QTest::addRow("quote at the start only") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("\"open LoggingTest")
                                             << QByteArrayLiteral("\"open LoggingTest");
    QTest::addRow("quote at the end only") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("close LoggingTest\"")
                                           << QByteArrayLiteral("close LoggingTest\"");
    QTest::addRow("quoted path after text") << int(QtDebugMsg) << category << QByteArray()
                                            << QStringLiteral("\"origin is newer than category\" \"/tmp/a.desktop\"")
                                            << QByteArrayLiteral("origin is newer than category\" \"/tmp/a.desktop");
    QTest::addRow("category and function") << int(QtDebugMsg) << category << function << QStringLiteral("\"with source\"")
                                           << QByteArrayLiteral("void Menu::updateMenu(): 42: with source");
    QTest::addRow("other category and function") << int(QtDebugMsg) << QByteArrayLiteral("qt.qpa.other") << function << QStringLiteral("any category")
                                                 << QByteArrayLiteral("void Menu::updateMenu(): 42: any category");
    QTest::addRow("default category") << int(QtDebugMsg) << QByteArrayLiteral("default") << function << QStringLiteral("no source")
                                      << QByteArrayLiteral("no source");
    QTest::addRow("no function name") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("no source") << QByteArrayLiteral("no source");
    QTest::addRow("no category") << int(QtDebugMsg) << QByteArray() << function << QStringLiteral("no source") << QByteArrayLiteral("no source");
    QTest::addRow("warning written alike") << int(QtWarningMsg) << category << function << QStringLiteral("warned")
                                           << QByteArrayLiteral("void Menu::updateMenu(): 42: warned");
    QTest::addRow("critical written alike") << int(QtCriticalMsg) << category << QByteArray() << QStringLiteral("critical") << QByteArrayLiteral("critical");
    QTest::addRow("info written alike") << int(QtInfoMsg) << category << QByteArray() << QStringLiteral("informed") << QByteArrayLiteral("informed");
    QTest::addRow("non-ASCII text") << int(QtDebugMsg) << category << QByteArray() << QStringLiteral("\"\u041c\u0435\u043d\u044e caf\u00e9 \U0001F4C1\"")
                                    << QByteArrayLiteral("\xd0\x9c\xd0\xb5\xd0\xbd\xd1\x8e caf\xc3\xa9 \xf0\x9f\x93\x81");
}

void LoggingTest::messageLines()
{
    QFETCH(int, type);
    QFETCH(QByteArray, category);
    QFETCH(QByteArray, function);
    QFETCH(QString, message);
    QFETCH(QByteArray, expected);

    const QMessageLogContext context("logging.cpp", 42, function.isNull() ? nullptr : function.constData(), category.isNull() ? nullptr : category.constData());
    StderrCapture capture(stderrPath());
    QVERIFY(capture.isActive());
    messageHandler(QtMsgType(type), context, message);
    QCOMPARE(capture.finish(), expected + '\n');

    QCOMPARE(logLines(), QList<QByteArray>{expected});
}

void LoggingTest::appendsToExistingLog()
{
    writeFile(logPath(), "earlier line\n");
    const QMessageLogContext context;

    StderrCapture capture(stderrPath());
    messageHandler(QtDebugMsg, context, QStringLiteral("first LoggingTest"));
    messageHandler(QtDebugMsg, context, QStringLiteral("second LoggingTest"));
    QCOMPARE(capture.finish(), QByteArrayLiteral("first LoggingTest\nsecond LoggingTest\n"));

    const QByteArray content = readFile(logPath());
    QVERIFY(content.startsWith("earlier line\n"));
    QCOMPARE(content.count('\n'), 3);
    const QList<QByteArray> lines = logLines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(1), QByteArrayLiteral("first LoggingTest"));
    QCOMPARE(lines.at(2), QByteArrayLiteral("second LoggingTest"));
}

void LoggingTest::logNotWritable_data()
{
    QTest::addColumn<QString>("obstacle"); // below the home folder
    QTest::addColumn<bool>("obstacleIsFolder");

    QTest::addRow("cache folder is a file") << QStringLiteral("/.cache") << false;
    QTest::addRow("log folder is a file") << QStringLiteral("/.cache/nimb-start-menu") << false;
    QTest::addRow("log file is a folder") << logSubpath << true;
}

void LoggingTest::logNotWritable()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, obstacleIsFolder);

    const QString obstaclePath = m_home + obstacle;
    if (obstacleIsFolder) {
        QVERIFY(QDir().mkpath(obstaclePath));
    } else {
        writeFile(obstaclePath, "not a folder\n");
    }

    StderrCapture capture(stderrPath());
    messageHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("still on standard error"));
    QCOMPARE(capture.finish(), QByteArrayLiteral("still on standard error\n"));

    if (obstacleIsFolder) {
        QVERIFY(QFileInfo(obstaclePath).isDir());
        QCOMPARE(QDir(obstaclePath).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    } else {
        QCOMPARE(readFile(obstaclePath), QByteArrayLiteral("not a folder\n"));
    }

    // The next message tries again.
    if (obstacleIsFolder) {
        QVERIFY(QDir(obstaclePath).removeRecursively());
    } else {
        QVERIFY(QFile::remove(obstaclePath));
    }
    StderrCapture secondCapture(stderrPath());
    messageHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("written again"));
    secondCapture.finish();
    QCOMPARE(logLines(), QList<QByteArray>{QByteArrayLiteral("written again")});
}

void LoggingTest::enableDebugInstallsHandler()
{
    StartMenuUtils::enableDebug(true);
    QVERIFY(LOG_GENERAL().isDebugEnabled());

    const QtMessageHandler installed = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(installed);
    QVERIFY(installed == &messageHandler);

    StderrCapture capture(stderrPath());
    qCDebug(LOG_GENERAL) << QStringLiteral("enabled LoggingTest");
    const QByteArray errorOutput = capture.finish();
    QVERIFY2(errorOutput.endsWith("enabled LoggingTest\n"), errorOutput.constData());
    QVERIFY(!errorOutput.contains('"'));

    const QList<QByteArray> lines = logLines();
    QCOMPARE(lines.size(), 1);
    // The source part depends on whether Qt recorded the context in this build.
    QVERIFY2(lines.at(0) == "enabled LoggingTest" || lines.at(0).endsWith(": enabled LoggingTest"), lines.at(0).constData());
    QCOMPARE(lines.at(0) + '\n', errorOutput);
}

void LoggingTest::disableDebugRemovesHandler()
{
    StartMenuUtils::enableDebug(true);
    StartMenuUtils::enableDebug(false);
    QVERIFY(!LOG_GENERAL().isDebugEnabled());

    const QtMessageHandler installed = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(installed);
    QVERIFY(installed != &messageHandler);

    // Qt's own handler may send the warning to the journal rather than to standard error, so only
    // the log file tells where it went.
    StderrCapture capture(stderrPath());
    qCDebug(LOG_GENERAL) << QStringLiteral("disabled debug LoggingTest");
    qCWarning(LOG_GENERAL) << QStringLiteral("warning LoggingTest");
    QVERIFY(!capture.finish().contains("disabled debug LoggingTest"));
    QVERIFY(!QFileInfo::exists(logPath()));

    StartMenuUtils::enableDebug(true);
    QVERIFY(LOG_GENERAL().isDebugEnabled());
}

void LoggingTest::enableDebugTwice()
{
    StartMenuUtils::enableDebug(true);
    StartMenuUtils::enableDebug(true);
    QVERIFY(LOG_GENERAL().isDebugEnabled());

    const QtMessageHandler installed = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(installed);
    QVERIFY(installed == &messageHandler);

    StderrCapture capture(stderrPath());
    qCDebug(LOG_GENERAL) << QStringLiteral("once LoggingTest");
    capture.finish();
    QCOMPARE(logLines().size(), 1);
}

QTEST_GUILESS_MAIN(LoggingTest)

#include "loggingtest.moc"
