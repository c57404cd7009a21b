/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "filewalk_p.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

using TestSupport::writeFile;

class FileWalkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folderOfIsThatOfQDir_data();
    void folderOfIsThatOfQDir();
    void walkVisitsWhatDirIteratorVisits_data();
    void walkVisitsWhatDirIteratorVisits();

private:
    QTemporaryDir m_dir;
};

void FileWalkTest::folderOfIsThatOfQDir_data()
{
    QTest::addColumn<QString>("path");

    QTest::addRow("file in a folder") << QStringLiteral("/usr/share/applications/nimbdesktop/tool.desktop");
    QTest::addRow("doubled slash before the name") << QStringLiteral("/usr/share/applications/nimbdesktop//tool.desktop");
    QTest::addRow("doubled slash inside") << QStringLiteral("/usr/share//applications/nimbdesktop/tool.desktop");
    QTest::addRow("file in a sub-folder") << QStringLiteral("/usr/share/applications/nimbdesktop/sub/tool.desktop");
    QTest::addRow("file at the root") << QStringLiteral("/tool.desktop");
    QTest::addRow("file below a doubled root") << QStringLiteral("//tool.desktop");
    QTest::addRow("relative path") << QStringLiteral("nimbdesktop/tool.desktop");
    QTest::addRow("bare name") << QStringLiteral("tool.desktop");
}

// The walks compare the folder of each file with the excluded folder without a QFileInfo.
void FileWalkTest::folderOfIsThatOfQDir()
{
    QFETCH(QString, path);

    const QString qdirFolder = QFileInfo(path).dir().path();
    for (const QString &folder : {QStringLiteral("/usr/share/applications/nimbdesktop"),
                                  QStringLiteral("/usr/share//applications/nimbdesktop"),
                                  QStringLiteral("/"),
                                  QStringLiteral("nimbdesktop"),
                                  qdirFolder}) {
        QCOMPARE(StartMenuUtils::folderOf(path) == folder, qdirFolder == folder);
    }
}

void FileWalkTest::walkVisitsWhatDirIteratorVisits_data()
{
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("folders");
    QTest::addColumn<bool>("recursive");

    QTest::addRow("without hidden files") << false << false << true;
    QTest::addRow("with hidden files") << true << false << true;
    QTest::addRow("files and folders, hidden ones too") << true << true << true;
    QTest::addRow("folders alone") << false << true << true;
    QTest::addRow("folders of the top level alone") << false << true << false;
}

// The index and the menu walk their folders with StartMenuUtils::walkFiles(), and the watched
// folders are listed with StartMenuUtils::walk(), which must meet the files and folders that
// QDirIterator meets, in its order, whatever the folder holds.
void FileWalkTest::walkVisitsWhatDirIteratorVisits()
{
    QFETCH(bool, hidden);
    QFETCH(bool, folders);
    QFETCH(bool, recursive);

    const QString root = m_dir.path() + QStringLiteral("/walk");
    QVERIFY(QDir(root).removeRecursively());
    const auto file = [&root](const QString &name) {
        writeFile(root + QLatin1Char('/') + name, "[Desktop Entry]\nName=Walked FileWalkTest\n");
    };
    const auto link = [&root](const QString &target, const QString &name) {
        QVERIFY(QFile::link(target, root + QLatin1Char('/') + name));
    };
    for (const QString &name : {QStringLiteral("a.desktop"),
                                QStringLiteral("notes.txt"),
                                QStringLiteral(".hidden.desktop"),
                                QStringLiteral("sub/c.desktop"),
                                QStringLiteral("sub/deeper/d.desktop"),
                                QStringLiteral("sub/.hidden-folder/e.desktop"),
                                QStringLiteral("ünïcode/日本.desktop"),
                                QStringLiteral("closed/f.desktop"),
                                QStringLiteral("unreadable.desktop")}) {
        file(name);
    }
    link(root + QStringLiteral("/sub/c.desktop"), QStringLiteral("link-to-file.desktop"));
    link(QStringLiteral("sub"), QStringLiteral("relative-link-to-folder"));
    link(root + QStringLiteral("/sub/deeper"), QStringLiteral("twin-one"));
    link(root + QStringLiteral("/sub/deeper"), QStringLiteral("twin-two"));
    link(root, QStringLiteral("sub/loop-to-root"));
    link(root + QStringLiteral("/sub"), QStringLiteral(".hidden-link-to-folder"));
    link(root + QStringLiteral("/missing.desktop"), QStringLiteral("broken.desktop"));
    link(QStringLiteral("/dev/null"), QStringLiteral("link-to-device.desktop"));
    QCOMPARE(::mkfifo(QFile::encodeName(root + QStringLiteral("/pipe.desktop")).constData(), 0600), 0);
    link(root + QStringLiteral("/pipe.desktop"), QStringLiteral("link-to-pipe.desktop"));
    QVERIFY(QFile::setPermissions(root + QStringLiteral("/unreadable.desktop"), QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(root + QStringLiteral("/closed"), QFileDevice::WriteOwner));

    StartMenuUtils::WalkFilter filter;
    filter.hidden = hidden;
    filter.folders = folders;
    filter.files = !folders || hidden;
    filter.recursive = recursive;
    const QDir::Filters filters = QDir::Readable | QDir::NoDotAndDotDot | (filter.files ? QDir::Files : QDir::Filters())
        | (folders ? QDir::Dirs : QDir::Filters()) | (hidden ? QDir::Hidden : QDir::Filters());
    const QStringList starts{root, root + QLatin1Char('/'), root + QStringLiteral("/relative-link-to-folder"), root + QStringLiteral("/missing")};
    for (const QString &start : starts) {
        QStringList expected;
        QDirIterator it(start, filters, (recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags) | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            expected.append(it.next());
        }
        QCOMPARE(StartMenuUtils::walkedPaths(start, filter), expected);
        if (folders) {
            continue;
        }

        // Refused names are simply not visited.
        QStringList desktopFiles;
        StartMenuUtils::walkFiles(
            start,
            hidden,
            [](const char *name) {
                return QByteArray(name).endsWith(".desktop");
            },
            [&desktopFiles](const QString &path) {
                desktopFiles.append(path);
            });
        expected.erase(std::remove_if(expected.begin(),
                                      expected.end(),
                                      [](const QString &path) {
                                          return !path.endsWith(QLatin1String(".desktop"));
                                      }),
                       expected.end());
        QCOMPARE(desktopFiles, expected);
    }
    QVERIFY(QFile::setPermissions(root + QStringLiteral("/closed"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

QTEST_GUILESS_MAIN(FileWalkTest)

#include "filewalktest.moc"
