/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "settingsmap.h"
#include "logging.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTest>

namespace
{
const char categoryName[] = "quorvex.nimb-start-menu";
const QString shortRecord = QStringLiteral("settings-apps.csv contains too short record ");

QtMessageHandler previousHandler = nullptr;

QStringList &capturedMessages()
{
    static QStringList messages;
    return messages;
}

// Keeps what the library's category says; everything else goes on to the test framework.
void captureMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, categoryName) == 0) {
        capturedMessages().append(type == QtDebugMsg ? message : QStringLiteral("not a debug message (%1): %2").arg(int(type)).arg(message));
        return;
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

QString describe(const QString &key, const SettingsMapRecord &record)
{
    return QStringLiteral("%1: %2, %3, %4, %5, %6")
        .arg(key, record.name, QString::number(record.number), record.group, record.parent)
        .arg(record.classicSettings ? QStringLiteral("true") : QStringLiteral("false"));
}

// The table in key order, one line per row.
QStringList describe(const QMap<QString, SettingsMapRecord> &table)
{
    QStringList rows;
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        rows.append(describe(it.key(), it.value()));
    }
    return rows;
}
}

class SettingsMapTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void missingFile();
    void folderInPlaceOfFile();
    void unreadableFile();
    void load_data();
    void load();
    void loadWithDebugDisabled_data();
    void loadWithDebugDisabled();
    void number_data();
    void number();
    void groupAndParent_data();
    void groupAndParent();
    void classicSettings_data();
    void classicSettings();
    void lookupIsExact();
    void readsAfresh();

private:
    void writeTable(const QByteArray &content) const
    {
        TestSupport::writeFile(m_system.settingsTable(), content);
    }
    SettingsMapRecord singleRecord(const QByteArray &line);

    const TestSupport::FakeSystem m_system{QStringLiteral("SettingsMapTest")};
    const QString m_tablePath = m_system.settingsTable();
};

void SettingsMapTest::initTestCase()
{
    QVERIFY(m_system.install());
    QCOMPARE(StartMenuUtils::systemPath(QStringLiteral("/usr/share/nimb-start-menu/settings-apps.csv")), m_tablePath);
}

void SettingsMapTest::init()
{
    QFile::setPermissions(m_tablePath, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(m_tablePath);
    QDir(m_tablePath).removeRecursively();
    QVERIFY(!QFileInfo::exists(m_tablePath));

    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=true"));
    QVERIFY(LOG_GENERAL().isDebugEnabled());
    capturedMessages().clear();
    previousHandler = qInstallMessageHandler(captureMessages);
}

void SettingsMapTest::cleanup()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    QLoggingCategory::setFilterRules(QString());
}

SettingsMapRecord SettingsMapTest::singleRecord(const QByteArray &line)
{
    writeTable(line);
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();
    return table.size() == 1 ? table.first() : SettingsMapRecord();
}

void SettingsMapTest::missingFile()
{
    QVERIFY(SettingsMap::loadSettingsMap().isEmpty());
    QCOMPARE(capturedMessages(), QStringList());
}

void SettingsMapTest::folderInPlaceOfFile()
{
    QVERIFY(QDir().mkpath(m_tablePath));
    QVERIFY(SettingsMap::loadSettingsMap().isEmpty());
    QCOMPARE(capturedMessages(), QStringList());
}

void SettingsMapTest::unreadableFile()
{
    writeTable("app,1,none,root,true\n");
    QVERIFY(QFile::setPermissions(m_tablePath, QFile::WriteOwner));
    if (QFile(m_tablePath).open(QIODevice::ReadOnly)) {
        QSKIP("this user reads files without read permission");
    }

    QVERIFY(SettingsMap::loadSettingsMap().isEmpty());
    QCOMPARE(capturedMessages(), QStringList());
}

void SettingsMapTest::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expectedRows");
    QTest::addColumn<QStringList>("expectedMessages");

    QTest::addRow("empty file") << QByteArray() << QStringList() << QStringList();
    QTest::addRow("fields trimmed, key lower-cased, special words emptied")
        << QByteArray(" Office.Writer ,12, none , root ,FALSE\n") << QStringList{"office.writer: office.writer, 12, , , false"} << QStringList();
    QTest::addRow("special words in another case kept")
        << QByteArray("app,1,None,Root,False\n") << QStringList{"app: app, 1, None, Root, false"} << QStringList();
    QTest::addRow("four fields") << QByteArray("app,1,none,root\n") << QStringList() << QStringList{shortRecord + R"(("app", "1", "none", "root"))"};
    QTest::addRow("short record printed untrimmed") << QByteArray(" App , 1\n") << QStringList() << QStringList{shortRecord + R"((" App ", " 1"))"};
    QTest::addRow("single field") << QByteArray("app\n") << QStringList() << QStringList{shortRecord + R"(("app"))"};
    QTest::addRow("empty line between rows") << QByteArray("a,1,g,p,true\n\nb,2,g,p,false\n") << QStringList{"a: a, 1, g, p, true", "b: b, 2, g, p, false"}
                                             << QStringList{shortRecord + R"((""))"};
    QTest::addRow("blank line of white space") << QByteArray(" \t\n") << QStringList() << QStringList{shortRecord + R"((" \t"))"};
    QTest::addRow("trailing empty line") << QByteArray("a,1,g,p,true\n\n") << QStringList{"a: a, 1, g, p, true"} << QStringList{shortRecord + R"((""))"};
    QTest::addRow("several short records in file order")
        << QByteArray("x\na,1,g,p,true\ny,z\n") << QStringList{"a: a, 1, g, p, true"} << QStringList{shortRecord + R"(("x"))", shortRecord + R"(("y", "z"))"};
    QTest::addRow("seven fields") << QByteArray("app,3,g,p,false,extra,more\n") << QStringList{"app: app, 3, g, p, false"} << QStringList();
    QTest::addRow("empty fields count as fields") << QByteArray(",,,,\n,,,\n") << QStringList{": , 0, , , true"}
                                                  << QStringList{shortRecord + R"(("", "", "", ""))"};
    QTest::addRow("duplicate key, later line wins") << QByteArray("tool,1,g1,p1,false\nTOOL,2,g2,p2,true\n") << QStringList{"tool: tool, 2, g2, p2, true"}
                                                    << QStringList();
    QTest::addRow("duplicate key, whole earlier row replaced")
        << QByteArray("Tool,7,Games,Office,false\n tool ,x,none,root,\n") << QStringList{"tool: tool, 0, , , true"} << QStringList();
    QTest::addRow("quoted field split at its comma") << QByteArray("\"a,b\",1,g,p,false\n") << QStringList{"\"a: \"a, 0, 1, g, true"} << QStringList();
    QTest::addRow("quoted short record split at its comma")
        << QByteArray("\"a,b\",1\n") << QStringList() << QStringList{shortRecord + R"(("\"a", "b\"", "1"))"};
    QTest::addRow("CR LF line ends") << QByteArray("a,1,g,p,false\r\nb,2,none,root,true\r\nc,d\r\n") << QStringList{"a: a, 1, g, p, false", "b: b, 2, , , true"}
                                     << QStringList{shortRecord + R"(("c", "d"))"};
    QTest::addRow("last line without newline") << QByteArray("a,1,g,p,true\nb,2,g,p,false") << QStringList{"a: a, 1, g, p, true", "b: b, 2, g, p, false"}
                                               << QStringList();
    QTest::addRow("short last line without newline") << QByteArray("a,1,g,p,true\nb,2") << QStringList{"a: a, 1, g, p, true"}
                                                     << QStringList{shortRecord + R"(("b", "2"))"};
    QTest::addRow("header-like and comment-like lines are rows")
        << QByteArray("# Name,Number,Group,Parent,Classic\nname,number,group,parent,classic\n")
        << QStringList{"# name: # name, 0, Group, Parent, true", "name: name, 0, group, parent, true"} << QStringList();
    QTest::addRow("rows in key order") << QByteArray("zeta,1,g,p,true\nAlpha,2,g,p,true\nbeta,3,g,p,true\n")
                                       << QStringList{"alpha: alpha, 2, g, p, true", "beta: beta, 3, g, p, true", "zeta: zeta, 1, g, p, true"} << QStringList();
    QTest::addRow("bad numbers give no message") << QByteArray("a,12abc,g,p,true\nb,-1,g,p,true\n") << QStringList{"a: a, 0, g, p, true", "b: b, 0, g, p, true"}
                                                 << QStringList();
}

void SettingsMapTest::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expectedRows);
    QFETCH(QStringList, expectedMessages);

    writeTable(content);
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();

    QCOMPARE(describe(table), expectedRows);
    QCOMPARE(capturedMessages(), expectedMessages);
}

void SettingsMapTest::loadWithDebugDisabled_data()
{
    load_data();
}

void SettingsMapTest::loadWithDebugDisabled()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expectedRows);

    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug=false"));
    QVERIFY(!LOG_GENERAL().isDebugEnabled());

    writeTable(content);
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();

    QCOMPARE(describe(table), expectedRows);
    QCOMPARE(capturedMessages(), QStringList());
}

void SettingsMapTest::number_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<quint32>("expected");

    QTest::addRow("decimal") << QByteArray("12") << quint32(12);
    QTest::addRow("zero") << QByteArray("0") << quint32(0);
    QTest::addRow("surrounded by white space") << QByteArray(" \t12 ") << quint32(12);
    QTest::addRow("leading zeros") << QByteArray("007") << quint32(7);
    QTest::addRow("largest 32-bit value") << QByteArray("4294967295") << quint32(4294967295u);
    QTest::addRow("one beyond 32 bits") << QByteArray("4294967296") << quint32(0);
    QTest::addRow("beyond 64 bits") << QByteArray("99999999999999999999") << quint32(0);
    QTest::addRow("trailing letters") << QByteArray("12abc") << quint32(0);
    QTest::addRow("negative") << QByteArray("-1") << quint32(0);
    QTest::addRow("hexadecimal") << QByteArray("0x10") << quint32(0);
    QTest::addRow("fraction") << QByteArray("1.5") << quint32(0);
    QTest::addRow("inner blank") << QByteArray("1 2") << quint32(0);
    QTest::addRow("empty") << QByteArray("") << quint32(0);
}

void SettingsMapTest::number()
{
    QFETCH(QByteArray, field);
    QFETCH(quint32, expected);

    const SettingsMapRecord record = singleRecord("app," + field + ",g,p,false\n");
    // The name shows that the row was read, so an expected 0 means the number was rejected.
    QCOMPARE(record.name, QStringLiteral("app"));
    QCOMPARE(record.number, expected);
    QCOMPARE(capturedMessages(), QStringList());
}

void SettingsMapTest::groupAndParent_data()
{
    QTest::addColumn<QByteArray>("groupField");
    QTest::addColumn<QByteArray>("parentField");
    QTest::addColumn<QString>("expectedGroup");
    QTest::addColumn<QString>("expectedParent");

    QTest::addRow("none and root") << QByteArray("none") << QByteArray("root") << QString() << QString();
    QTest::addRow("none and root surrounded by white space") << QByteArray(" none\t") << QByteArray("\troot ") << QString() << QString();
    QTest::addRow("capitalised None and Root") << QByteArray("None") << QByteArray("Root") << QStringLiteral("None") << QStringLiteral("Root");
    QTest::addRow("upper-case NONE and ROOT") << QByteArray("NONE") << QByteArray("ROOT") << QStringLiteral("NONE") << QStringLiteral("ROOT");
    QTest::addRow("root as group, none as parent") << QByteArray("root") << QByteArray("none") << QStringLiteral("root") << QStringLiteral("none");
    QTest::addRow("words starting with none and root")
        << QByteArray("nonesuch") << QByteArray("rooted") << QStringLiteral("nonesuch") << QStringLiteral("rooted");
    QTest::addRow("names trimmed, case kept") << QByteArray(" System Tools ") << QByteArray(" Settings ") << QStringLiteral("System Tools")
                                              << QStringLiteral("Settings");
    QTest::addRow("empty fields") << QByteArray("") << QByteArray(" ") << QString() << QString();
}

void SettingsMapTest::groupAndParent()
{
    QFETCH(QByteArray, groupField);
    QFETCH(QByteArray, parentField);
    QFETCH(QString, expectedGroup);
    QFETCH(QString, expectedParent);

    const SettingsMapRecord record = singleRecord("app,1," + groupField + ',' + parentField + ",false\n");
    QCOMPARE(record.name, QStringLiteral("app"));
    // Empty and null mean the same to the callers.
    QCOMPARE(record.group.isEmpty(), expectedGroup.isEmpty());
    QCOMPARE(record.parent.isEmpty(), expectedParent.isEmpty());
    if (!expectedGroup.isEmpty()) {
        QCOMPARE(record.group, expectedGroup);
    }
    if (!expectedParent.isEmpty()) {
        QCOMPARE(record.parent, expectedParent);
    }
}

void SettingsMapTest::classicSettings_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("expected");

    QTest::addRow("false") << QByteArray("false") << false;
    QTest::addRow("False") << QByteArray("False") << false;
    QTest::addRow("FALSE") << QByteArray("FALSE") << false;
    QTest::addRow("false surrounded by white space") << QByteArray(" \tfalse ") << false;
    QTest::addRow("true") << QByteArray("true") << true;
    QTest::addRow("zero") << QByteArray("0") << true;
    QTest::addRow("no") << QByteArray("no") << true;
    QTest::addRow("empty") << QByteArray("") << true;
    QTest::addRow("white space only") << QByteArray("  ") << true;
    QTest::addRow("word starting with false") << QByteArray("falsely") << true;
    QTest::addRow("false in quotes") << QByteArray("\"false\"") << true;
}

void SettingsMapTest::classicSettings()
{
    QFETCH(QByteArray, field);
    QFETCH(bool, expected);

    // The row is written twice with opposite answers, so a record that was never filled cannot pass.
    writeTable("app,1,g,p," + QByteArray(expected ? "false" : "true") + "\napp,1,g,p," + field + '\n');
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();
    QCOMPARE(table.keys(), QStringList{QStringLiteral("app")});
    QCOMPARE(table.value(QStringLiteral("app")).classicSettings, expected);
}

void SettingsMapTest::lookupIsExact()
{
    writeTable("Tool,1,none,root,true\n");
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();

    QVERIFY(table.contains(QStringLiteral("tool")));
    QVERIFY(!table.contains(QStringLiteral("Tool")));
    QVERIFY(!table.contains(QStringLiteral(" tool")));
    QCOMPARE(table.value(QStringLiteral("tool")).name, QStringLiteral("tool"));
}

void SettingsMapTest::readsAfresh()
{
    writeTable("first,1,none,root,true\n");
    QCOMPARE(describe(SettingsMap::loadSettingsMap()), QStringList{"first: first, 1, , , true"});

    writeTable("second,2,none,root,false\n");
    QCOMPARE(describe(SettingsMap::loadSettingsMap()), QStringList{"second: second, 2, , , false"});

    QVERIFY(QFile::remove(m_tablePath));
    QVERIFY(SettingsMap::loadSettingsMap().isEmpty());
}

QTEST_GUILESS_MAIN(SettingsMapTest)

#include "settingsmaptest.moc"
