/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "fileinfo.h"

#include <QHash>
#include <QSet>
#include <QTest>

#include <memory>

namespace
{
std::shared_ptr<FileInfo> makeRecord(const QString &displayName, const QString &path)
{
    return std::make_shared<FileInfo>(displayName,
                                      path,
                                      QStringLiteral("tool.desktop"),
                                      QStringLiteral("Tool FileInfoTest"),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QString(),
                                      QStringLiteral("tool"),
                                      QStringLiteral("system-run"),
                                      QStringList(),
                                      QStringList(),
                                      QStringLiteral("Applications"));
}
}

class FileInfoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fields();
    void equality_data();
    void equality();
    void ordering_data();
    void ordering();
    void hashIsThatOfThePath_data();
    void hashIsThatOfThePath();
    void setsHoldRecordsByIdentity();
    void sharedRecordOutlivesItsCreator();
};

void FileInfoTest::fields()
{
    const FileInfo record(QStringLiteral("Werkzeug FileInfoTest"),
                          QStringLiteral("/usr/share/applications/org.example.Tool.desktop"),
                          QStringLiteral("org.example.Tool.desktop"),
                          QStringLiteral("Tool FileInfoTest"),
                          QStringLiteral("Werkzeug FileInfoTest"),
                          QStringLiteral("Helper"),
                          QStringLiteral("Helfer"),
                          QStringLiteral("Does things"),
                          QStringLiteral("Macht Dinge"),
                          QStringLiteral("/usr/bin/tool --new %u"),
                          QStringLiteral("org.example.Tool"),
                          {QStringLiteral("Web Browser"), QStringLiteral("Netz")},
                          {QStringLiteral("Network"), QStringLiteral("WebBrowser")},
                          QStringLiteral("Applications"));

    QCOMPARE(record.displayName(), QStringLiteral("Werkzeug FileInfoTest"));
    QCOMPARE(record.path(), QStringLiteral("/usr/share/applications/org.example.Tool.desktop"));
    QCOMPARE(record.fileName(), QStringLiteral("org.example.Tool.desktop"));
    QCOMPARE(record.name(), QStringLiteral("Tool FileInfoTest"));
    QCOMPARE(record.localName(), QStringLiteral("Werkzeug FileInfoTest"));
    QCOMPARE(record.genericName(), QStringLiteral("Helper"));
    QCOMPARE(record.localGenericName(), QStringLiteral("Helfer"));
    QCOMPARE(record.comment(), QStringLiteral("Does things"));
    QCOMPARE(record.localComment(), QStringLiteral("Macht Dinge"));
    QCOMPARE(record.executableName(), QStringLiteral("/usr/bin/tool --new %u"));
    QCOMPARE(record.icon(), QStringLiteral("org.example.Tool"));
    QCOMPARE(record.keywords(), (QStringList{QStringLiteral("Web Browser"), QStringLiteral("Netz")}));
    QCOMPARE(record.categories(), (QStringList{QStringLiteral("Network"), QStringLiteral("WebBrowser")}));
    QCOMPARE(record.category(), QStringLiteral("Applications"));
}

void FileInfoTest::equality_data()
{
    QTest::addColumn<QString>("leftName");
    QTest::addColumn<QString>("leftPath");
    QTest::addColumn<QString>("rightName");
    QTest::addColumn<QString>("rightPath");
    QTest::addColumn<bool>("equal");

    const QString path = QStringLiteral("/usr/share/applications/tool.desktop");
    QTest::addRow("same path, different display names") << QStringLiteral("Tool") << path << QStringLiteral("Werkzeug") << path << true;
    QTest::addRow("same display name, different paths")
        << QStringLiteral("Tool") << path << QStringLiteral("Tool") << QStringLiteral("/usr/share/applications/kde/tool.desktop") << false;
    QTest::addRow("paths differ in case") << QStringLiteral("Tool") << path << QStringLiteral("Tool") << QStringLiteral("/usr/share/applications/Tool.desktop")
                                          << false;
    QTest::addRow("doubled slash is another path") << QStringLiteral("Tool") << path << QStringLiteral("Tool")
                                                   << QStringLiteral("/usr/share/applications//tool.desktop") << false;
    QTest::addRow("both paths empty") << QStringLiteral("Tool") << QString() << QStringLiteral("Other") << QString() << true;
}

void FileInfoTest::equality()
{
    QFETCH(QString, leftName);
    QFETCH(QString, leftPath);
    QFETCH(QString, rightName);
    QFETCH(QString, rightPath);
    QFETCH(bool, equal);

    const auto left = makeRecord(leftName, leftPath);
    const auto right = makeRecord(rightName, rightPath);
    QCOMPARE(*left == *right, equal);
    QCOMPARE(*right == *left, equal);
    QCOMPARE(*left != *right, !equal);
    QCOMPARE(*right != *left, !equal);
}

void FileInfoTest::ordering_data()
{
    QTest::addColumn<QString>("leftName");
    QTest::addColumn<QString>("rightName");
    QTest::addColumn<bool>("less");
    QTest::addColumn<bool>("lessOrEqual");

    QTest::addRow("equal display names") << QStringLiteral("Tool") << QStringLiteral("Tool") << false << true;
    QTest::addRow("upper case sorts before lower case") << QStringLiteral("Zeta") << QStringLiteral("alpha") << true << true;
    QTest::addRow("lower case sorts after upper case") << QStringLiteral("alpha") << QStringLiteral("Zeta") << false << false;
    QTest::addRow("prefix sorts first") << QStringLiteral("Tool") << QStringLiteral("Toolbox") << true << true;
    QTest::addRow("longer sorts after its prefix") << QStringLiteral("Toolbox") << QStringLiteral("Tool") << false << false;
    QTest::addRow("code units, not locale") << QStringLiteral("Zürich") << QStringLiteral("Zurich") << false << false;
    QTest::addRow("empty sorts first") << QString() << QStringLiteral("A") << true << true;
}

void FileInfoTest::ordering()
{
    QFETCH(QString, leftName);
    QFETCH(QString, rightName);
    QFETCH(bool, less);
    QFETCH(bool, lessOrEqual);

    // Different paths: ordering looks at the display name only.
    const auto left = makeRecord(leftName, QStringLiteral("/a.desktop"));
    const auto right = makeRecord(rightName, QStringLiteral("/b.desktop"));
    QCOMPARE(*left < *right, less);
    QCOMPARE(*left <= *right, lessOrEqual);
}

void FileInfoTest::hashIsThatOfThePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<uint>("seed");

    QTest::addRow("no seed") << QStringLiteral("/usr/share/applications/tool.desktop") << 0u;
    QTest::addRow("with a seed") << QStringLiteral("/usr/share/applications/tool.desktop") << 4242u;
    QTest::addRow("empty path") << QString() << 17u;
    QTest::addRow("non-ASCII path") << QStringLiteral("/usr/share/applications/календарь.desktop") << 1u;
    // The seed every new QHash and QSet takes, for which the record keeps its hash ready.
    QTest::addRow("the process's seed") << QStringLiteral("/usr/share/applications/tool.desktop") << uint(qGlobalQHashSeed());
    QTest::addRow("the process's seed, empty path") << QString() << uint(qGlobalQHashSeed());
}

void FileInfoTest::hashIsThatOfThePath()
{
    QFETCH(QString, path);
    QFETCH(uint, seed);

    const auto record = makeRecord(QStringLiteral("Tool"), path);
    QCOMPARE(qHash(record, seed), qHash(path, seed));
    // Another display name does not move the record to another bucket.
    QCOMPARE(qHash(makeRecord(QStringLiteral("Werkzeug"), path), seed), qHash(record, seed));
}

void FileInfoTest::setsHoldRecordsByIdentity()
{
    const QString path = QStringLiteral("/usr/share/applications/tool.desktop");
    const auto first = makeRecord(QStringLiteral("Tool"), path);
    const auto second = makeRecord(QStringLiteral("Tool"), path);
    QVERIFY(*first == *second);

    QSet<std::shared_ptr<FileInfo>> twoRecords{first, second};
    QCOMPARE(twoRecords.size(), 2);
    QVERIFY(twoRecords.contains(first));
    QVERIFY(twoRecords.contains(second));

    QSet<std::shared_ptr<FileInfo>> oneRecord;
    oneRecord.insert(first);
    oneRecord.insert(first);
    QCOMPARE(oneRecord.size(), 1);
    QVERIFY(!oneRecord.contains(second));

    QSet<std::shared_ptr<FileInfo>> intersection = twoRecords;
    intersection.intersect(oneRecord);
    QCOMPARE(intersection, oneRecord);

    QHash<std::shared_ptr<FileInfo>, int> counts{{first, 1}, {second, 2}};
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.value(second), 2);
}

void FileInfoTest::sharedRecordOutlivesItsCreator()
{
    std::weak_ptr<FileInfo> watcher;
    QSet<std::shared_ptr<FileInfo>> holder;
    {
        const auto record = makeRecord(QStringLiteral("Tool"), QStringLiteral("/tool.desktop"));
        watcher = record;
        holder.insert(record);
    }
    QVERIFY(!watcher.expired());
    QCOMPARE(watcher.lock()->path(), QStringLiteral("/tool.desktop"));
    holder.clear();
    QVERIFY(watcher.expired());
}

QTEST_GUILESS_MAIN(FileInfoTest)

#include "fileinfotest.moc"
