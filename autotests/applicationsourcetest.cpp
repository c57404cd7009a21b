/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "applicationsource_p.h"
#include "testsupport.h"
#include "treeformat_p.h"

#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ApplicationSource::Kind)
Q_DECLARE_METATYPE(ApplicationSource::Overrides)

// The one intake of desktop files: how it classifies each, and why it turns one away.
class ApplicationSourceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void classify_data();
    void classify();

private:
    QTemporaryDir m_dir;
};

void ApplicationSourceTest::initTestCase()
{
    QVERIFY(!TestSupport::isolate(m_dir).isEmpty());
    // The second override folder turns one application into a settings launcher.
    QVERIFY(TestSupport::writeNewVersion(StartMenuUtils::systemPath(TreeFormat::secondOverrideFolder) + QStringLiteral("/overridden.desktop"),
                                         "[Desktop Entry]\nExec=kcmshell5 kcm_clock\n"));
}

void ApplicationSourceTest::classify_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<ApplicationSource::Overrides>("overrides");
    QTest::addColumn<ApplicationSource::Kind>("kind");
    QTest::addColumn<QString>("reason");

    using Kind = ApplicationSource::Kind;
    const auto both = ApplicationSource::Overrides::Both;
    const auto first = ApplicationSource::Overrides::First;
    QTest::addRow("application") << "editor.desktop" << QByteArray() << both << Kind::Application << QString();
    QTest::addRow("settings launcher") << "clock.desktop" << QByteArray("Exec=kcmshell5 kcm_clock\n") << both << Kind::SettingsLauncher
                                       << "its command opens a settings module";
    QTest::addRow("classic row of the table") << "talvo-mouse.desktop" << QByteArray() << both << Kind::ClassicSettings
                                              << "a classic settings item of the settings-applications table";
    QTest::addRow("other row of the table") << "talvo-power.desktop" << QByteArray() << both << Kind::SettingsApplication
                                            << "named by the settings-applications table";
    QTest::addRow("YaST group") << "yast.desktop" << QByteArray("X-SuSE-YaST-Group=Hardware\n") << both << Kind::ClassicSettings
                                << "a classic settings item by its X-SuSE-YaST-Group";
    QTest::addRow("hidden") << "hidden.desktop" << QByteArray("NoDisplay=true\n") << both << Kind::Unaccepted << "NoDisplay is true";
    QTest::addRow("second override, menu") << "overridden.desktop" << QByteArray() << both << Kind::SettingsLauncher << "its command opens a settings module";
    QTest::addRow("second override, index") << "overridden.desktop" << QByteArray() << first << Kind::Application << QString();
    // What the desktop-entry reader turns away, each with its cause. "-" and the names after it stand
    // for a file that is no entry: an empty one, none, a folder, a FIFO without a writer (which must
    // not hold the reader), one larger than an entry may be.
    QTest::addRow("empty file") << "empty.desktop" << QByteArray("-") << both << Kind::Unaccepted << "it has no [Desktop Entry] group";
    QTest::addRow("no such file") << "missing.desktop" << QByteArray("-missing") << both << Kind::Unaccepted << "there is no such file";
    QTest::addRow("folder") << "folder.desktop" << QByteArray("-folder") << both << Kind::Unaccepted << "it is a folder";
    QTest::addRow("FIFO") << "fifo.desktop" << QByteArray("-fifo") << both << Kind::Unaccepted << "it is not a regular file";
    QTest::addRow("too large") << "large.desktop" << QByteArray("-large") << both << Kind::Unaccepted
                               << "it is larger than 1024 KiB, the most a desktop file may be";
    QTest::addRow("not UTF-8") << "latin1.desktop" << QByteArray("Comment=Caf\xe9\n") << both << Kind::Unaccepted << "it is not UTF-8 text";
    QTest::addRow("NUL byte") << "nul.desktop" << QByteArray("Comment=a\0b\n", 12) << both << Kind::Unaccepted << "it is not UTF-8 text";
}

void ApplicationSourceTest::classify()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, extra);
    QFETCH(ApplicationSource::Overrides, overrides);
    QFETCH(ApplicationSource::Kind, kind);
    QFETCH(QString, reason);

    QMap<QString, SettingsMapRecord> table;
    table.insert(QStringLiteral("talvo-mouse"), SettingsMapRecord{QStringLiteral("talvo-mouse"), 6, QString(), QString(), true});
    table.insert(QStringLiteral("talvo-power"), SettingsMapRecord{QStringLiteral("talvo-power"), 8, QString(), QString(), false});

    const QString path = m_dir.filePath(QStringLiteral("applications/") + fileName);
    if (extra == "-folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (extra == "-fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (extra == "-large") {
        QVERIFY(TestSupport::writeNewVersion(path, "[Desktop Entry]\n" + QByteArray(int(NimbDesktopEntry::MaxFileSize), '#')));
    } else if (extra != "-missing") {
        const QByteArray content = extra == "-" ? QByteArray() : "[Desktop Entry]\nType=Application\nName=Tool\nExec=tool\n" + extra;
        QVERIFY(TestSupport::writeNewVersion(path, content));
    }

    const ApplicationSource source(overrides, table);
    const ApplicationSource::Item item = source.read(path);
    QCOMPARE(item.kind, kind);
    QCOMPARE(item.reason, reason);
}

QTEST_GUILESS_MAIN(ApplicationSourceTest)

#include "applicationsourcetest.moc"
