/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menu.h"
#include "nimbdesktopentry.h"
#include "startmenuutils.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::FakeSystem;
using TestSupport::writeFile;

namespace
{
QStringList itemsBelow(const QString &root)
{
    QStringList items;
    QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        items.append(it.next().mid(root.size() + 1));
    }
    items.sort();
    return items;
}

QDateTime changeTime(const QString &path)
{
    return QFileInfo(path).metadataChangeTime();
}
}

class MenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void categoryChoice_data();
    void categoryChoice();
    void exclusions_data();
    void exclusions();
    void writtenItem();
    void overrides();
    void unforcedGenerationFollowsChangeTimes();
    void newApplicationsOfOneFolderAllWritten();
    void interruptedUpdateGoesOn_data();
    void interruptedUpdateGoesOn();
    void removalsRememberedUntilReset();
    void sameFileNameTwice();
    void administratorCategories();
    void symbolicLinkLoops();
    void templateWithoutHomeFolder();

    // These spin the event loop with the process-wide menu watching; they come last.
    void instanceWritesNothing();
    void updateMenuSignalsAroundUpdate();
    void watcherPicksUpNewApplication();
    void watcherFollowsNewCategoryFolder();
    void watcherTakesFilesWrittenInPlace_data();
    void watcherTakesFilesWrittenInPlace();
    void watcherMergesABurstOfInstalls();

private:
    QString item(const QString &id, const QString &fileName) const
    {
        return m_system.menuDir() + QLatin1Char('/') + id + QLatin1Char('/') + fileName;
    }
    // Waits, without sleeping, until the file-system clock has moved past the change time of `path`,
    // so that what is written next is newer.
    void waitUntilNewerThan(const QString &path);
    void makeNewer(const QString &path, const QString &than);

    // Not in the shared temporary folder: the watcher watches the ancestors of the application
    // folders, and files other processes create there would start updates the tests do not expect.
    TestSupport::FakeSystem m_system{QStringLiteral("MenuTest"), QCoreApplication::applicationDirPath()};
};

void MenuTest::initTestCase()
{
    QVERIFY(m_system.install());
    QVERIFY(QDir().mkpath(m_system.home() + QStringLiteral("/.nimb")));
    const QString templateTree = m_system.templateTree();
    writeFile(templateTree + QStringLiteral("/office/.directory"),
              FakeSystem::folderDeclaration(QStringLiteral("Office"), QStringLiteral("Office;Spreadsheet")));
    writeFile(templateTree + QStringLiteral("/graphics/.directory"),
              FakeSystem::folderDeclaration(QStringLiteral("Graphics"), QStringLiteral("Graphics;Photography")));
    writeFile(templateTree + QStringLiteral("/games/.directory"), FakeSystem::folderDeclaration(QStringLiteral("Games"), QStringLiteral("Game")));
    writeFile(templateTree + QStringLiteral("/other/.directory"), FakeSystem::folderDeclaration(QStringLiteral("Other")));
    QCOMPARE(StartMenuUtils::menuDir(), m_system.menuDir());
}

void MenuTest::init()
{
    Menu::remove();
    for (const QString &path :
         {m_system.applications(), m_system.userApplications(), m_system.systemPath(QStringLiteral("/usr/share/nimb")), m_system.menuOverrides()}) {
        QDir(path).removeRecursively();
    }
    QFile::remove(m_system.settingsTable());
    QVERIFY(QDir().mkpath(m_system.applications()));
    QVERIFY(QDir().mkpath(m_system.userApplications()));
}

void MenuTest::waitUntilNewerThan(const QString &path)
{
    const QString probe = m_system.menuDir() + QStringLiteral("/.clock-probe");
    const QDateTime reference = changeTime(path);
    QDateTime now;
    do {
        writeFile(probe, QByteArray("tick"));
        now = changeTime(probe);
    } while (now <= reference);
    QFile::remove(probe);
}

void MenuTest::makeNewer(const QString &path, const QString &than)
{
    const QDateTime reference = changeTime(than);
    while (changeTime(path) <= reference) {
        // Changing the mode changes the change time, to the file-system clock's now.
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    }
}

void MenuTest::categoryChoice_data()
{
    QTest::addColumn<QString>("categories");
    QTest::addColumn<QString>("folder");

    QTest::addRow("first collected category decides") << QStringLiteral("Utility;Office;Graphics;") << QStringLiteral("office");
    QTest::addRow("order of the application's list") << QStringLiteral("Graphics;Office;") << QStringLiteral("graphics");
    QTest::addRow("additional category") << QStringLiteral("Spreadsheet;") << QStringLiteral("office");
    QTest::addRow("nothing collected goes to other") << QStringLiteral("Utility;TextEditor;") << QStringLiteral("other");
    QTest::addRow("no categories goes to other") << QString() << QStringLiteral("other");
    QTest::addRow("case matters") << QStringLiteral("office;") << QStringLiteral("other");
}

void MenuTest::categoryChoice()
{
    QFETCH(QString, categories);
    QFETCH(QString, folder);

    writeFile(m_system.applications() + QStringLiteral("/org.example.App.desktop"), m_system.desktopFile(QStringLiteral("App"), categories));
    Menu::init();
    QCOMPARE(itemsBelow(m_system.menuDir()), QStringList{folder + QStringLiteral("/org.example.App.desktop")});
}

void MenuTest::exclusions_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expectedItem"); // empty: nothing written

    const auto app = [this](const QString &extra) {
        return m_system.desktopFile(QStringLiteral("Tool"), QStringLiteral("Office;"), extra);
    };
    const QByteArray plain = app(QString());
    const QByteArray withExec = QByteArray(plain).replace("Exec=tool", "Exec=kcmshell5 kcm_tool");

    QTest::addRow("accepted application") << QStringLiteral("tool.desktop") << plain << QStringLiteral("office/tool.desktop");
    QTest::addRow("in a sub-folder") << QStringLiteral("kde/tool.desktop") << plain << QStringLiteral("office/tool.desktop");
    QTest::addRow("settings module command") << QStringLiteral("tool.desktop") << withExec << QString();
    QTest::addRow("settings centre command") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Exec=tool", "Exec=systemsettings5 x") << QString();
    QTest::addRow("settings centre not at start") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Exec=tool", "Exec=run systemsettings")
                                                  << QStringLiteral("office/tool.desktop");
    QTest::addRow("yast group") << QStringLiteral("tool.desktop") << app(QStringLiteral("X-SuSE-YaST-Group=Hardware\n")) << QString();
    QTest::addRow("named in the settings table") << QStringLiteral("talvo-display-settings.desktop") << plain << QString();
    QTest::addRow("table is matched by exact base name")
        << QStringLiteral("Talvo-Display-Settings.desktop") << plain << QStringLiteral("office/Talvo-Display-Settings.desktop");
    QTest::addRow("excluded desktop folder") << QStringLiteral("nimbdesktop/tool.desktop") << plain << QString();
    QTest::addRow("below the excluded desktop folder") << QStringLiteral("nimbdesktop/sub/tool.desktop") << plain << QStringLiteral("office/tool.desktop");
    QTest::addRow("suffix with a capital") << QStringLiteral("tool.Desktop") << plain << QString();
    QTest::addRow("hidden file") << QStringLiteral(".tool.desktop") << plain << QString();
    QTest::addRow("hidden folder") << QStringLiteral(".hidden/tool.desktop") << plain << QString();
    QTest::addRow("not displayed") << QStringLiteral("tool.desktop") << app(QStringLiteral("NoDisplay=true\n")) << QString();
    QTest::addRow("for another desktop") << QStringLiteral("tool.desktop") << app(QStringLiteral("OnlyShowIn=Elsewhere;\n")) << QString();
    QTest::addRow("not valid UTF-8") << QStringLiteral("tool.desktop") << QByteArray(plain).replace("Tool MenuTest", "Tool \xff\xfe") << QString();
    QTest::addRow("empty file") << QStringLiteral("tool.desktop") << QByteArray() << QString();
    QTest::addRow("binary garbage") << QStringLiteral("tool.desktop")
                                    << QByteArray(
                                           "\x7f"
                                           "ELF\x02\x01\x01\0\0\0[Desktop Entry]\n",
                                           26)
                                    << QString();
}

void MenuTest::exclusions()
{
    QFETCH(QString, relativePath);
    QFETCH(QByteArray, content);
    QFETCH(QString, expectedItem);

    writeFile(m_system.settingsTable(), QByteArray("talvo-display-settings,1,hardware,root,true\n"));
    writeFile(m_system.applications() + QLatin1Char('/') + relativePath, content);
    Menu::init();
    QCOMPARE(itemsBelow(m_system.menuDir()), expectedItem.isEmpty() ? QStringList() : QStringList{expectedItem});
}

void MenuTest::writtenItem()
{
    const QString source = m_system.applications() + QStringLiteral("/org.example.Editor.desktop");
    writeFile(source,
              m_system.desktopFile(
                  QStringLiteral("Editor"),
                  QStringLiteral("Office;"),
                  QStringLiteral("Name[de]=Editor Menütest\nComment=\nKeywords=text;notes;\n\n[Desktop Action new]\nName=New\nExec=editor --new\n")));
    Menu::init();

    const NimbDesktopEntry written(item(QStringLiteral("office"), QStringLiteral("org.example.Editor.desktop")).toStdString());
    QVERIFY(written.isLoaded());
    QCOMPARE(QString::fromStdString(written.getUnknownValue("X-Nimb-OriginFile")), source);
    QCOMPARE(written.name(), std::string("Editor MenuTest"));
    QCOMPARE(written.getUnknownValue("Name[de]"), std::string("Editor Menütest"));
    QCOMPARE(written.keywords(), (std::vector<std::string>{"text", "notes"}));
    QVERIFY(!written.hasKey("Comment"));
    // The item is read back as an application of the tree, not written again.
    const QDateTime before = changeTime(item(QStringLiteral("office"), QStringLiteral("org.example.Editor.desktop")));
    waitUntilNewerThan(item(QStringLiteral("office"), QStringLiteral("org.example.Editor.desktop")));
    Menu::generate(true);
    QCOMPARE(changeTime(item(QStringLiteral("office"), QStringLiteral("org.example.Editor.desktop"))), before);
}

void MenuTest::overrides()
{
    writeFile(m_system.applications() + QStringLiteral("/viewer.desktop"), m_system.desktopFile(QStringLiteral("Viewer"), QStringLiteral("Office;")));
    writeFile(m_system.overrides() + QStringLiteral("/viewer.desktop"),
              QStringLiteral("[Desktop Entry]\nName=First Override\nIcon=first-icon\nCategories=Graphics;\n"));
    writeFile(m_system.menuOverrides() + QStringLiteral("/viewer.desktop"), QStringLiteral("[Desktop Entry]\nName=Second Override\n"));
    Menu::init();

    // The overridden categories choose the folder; the second override wins where both set a key.
    const NimbDesktopEntry written(item(QStringLiteral("graphics"), QStringLiteral("viewer.desktop")).toStdString());
    QVERIFY(written.isLoaded());
    QCOMPARE(written.name(), std::string("Second Override"));
    QCOMPARE(written.icon(), std::string("first-icon"));
    QVERIFY(!QFile::exists(item(QStringLiteral("office"), QStringLiteral("viewer.desktop"))));
}

void MenuTest::unforcedGenerationFollowsChangeTimes()
{
    Menu::init();
    const QString office = m_system.menuDir() + QStringLiteral("/office");
    const QString older = m_system.applications() + QStringLiteral("/older.desktop");
    const QString newer = m_system.applications() + QStringLiteral("/newer.desktop");
    writeFile(older, m_system.desktopFile(QStringLiteral("Older"), QStringLiteral("Office;")));
    writeFile(newer, m_system.desktopFile(QStringLiteral("Newer"), QStringLiteral("Office;")));
    makeNewer(office, older); // as if the user had just removed something from the folder
    makeNewer(newer, office);

    Menu::generate(false);
    QVERIFY(!QFile::exists(item(QStringLiteral("office"), QStringLiteral("older.desktop"))));
    QVERIFY(QFile::exists(item(QStringLiteral("office"), QStringLiteral("newer.desktop"))));

    Menu::generate(true);
    QVERIFY(QFile::exists(item(QStringLiteral("office"), QStringLiteral("older.desktop"))));
}

void MenuTest::newApplicationsOfOneFolderAllWritten()
{
    // Two applications of one category installed together, both after the folder last changed: the
    // first item written makes the folder newer than the second's desktop file, which must not keep
    // the second out.
    Menu::init();
    const QString office = m_system.menuDir() + QStringLiteral("/office");
    waitUntilNewerThan(office);
    writeFile(m_system.applications() + QStringLiteral("/a-writer.desktop"), m_system.desktopFile(QStringLiteral("Writer"), QStringLiteral("Office;")));
    writeFile(m_system.applications() + QStringLiteral("/b-sheets.desktop"), m_system.desktopFile(QStringLiteral("Sheets"), QStringLiteral("Spreadsheet;")));
    makeNewer(m_system.applications() + QStringLiteral("/a-writer.desktop"), office);
    makeNewer(m_system.applications() + QStringLiteral("/b-sheets.desktop"), office);
    waitUntilNewerThan(m_system.applications() + QStringLiteral("/b-sheets.desktop"));

    Menu::generate(false);
    QCOMPARE(itemsBelow(office), (QStringList{QStringLiteral("a-writer.desktop"), QStringLiteral("b-sheets.desktop")}));
}

void MenuTest::interruptedUpdateGoesOn_data()
{
    // What a killed update may have left in the tree; %1 is a time before the application's file
    // changed, in milliseconds since the epoch.
    QTest::addColumn<QString>("journal");
    QTest::addColumn<bool>("written");

    QTest::addRow("forced run") << QStringLiteral("forced\n") << true;
    QTest::addRow("folder time noted") << QStringLiteral("folder %1 office\n") << true;
    QTest::addRow("time of another folder") << QStringLiteral("folder %1 games\n") << false;
    QTest::addRow("first noted time counts") << QStringLiteral("folder %1 office\nfolder 9999999999999 office\n") << true;
    QTest::addRow("folder name encoded") << QStringLiteral("folder %1 %6Fffice\n") << true;
    QTest::addRow("line cut short") << QStringLiteral("folder %1 office") << false;
    QTest::addRow("garbage") << QStringLiteral("folder x office\nforced now\n\n   \n") << false;
}

void MenuTest::interruptedUpdateGoesOn()
{
    QFETCH(QString, journal);
    QFETCH(bool, written);

    Menu::init();
    const QString office = m_system.menuDir() + QStringLiteral("/office");
    const QString older = m_system.applications() + QStringLiteral("/older.desktop");
    writeFile(older, m_system.desktopFile(QStringLiteral("Older"), QStringLiteral("Office;")));
    makeNewer(office, older);
    const QString journalFile = m_system.menuDir() + QStringLiteral("/.update-journal");
    writeFile(journalFile, journal.arg(changeTime(older).toMSecsSinceEpoch() - 1000).toUtf8());

    Menu::update();
    QCOMPARE(QFile::exists(item(QStringLiteral("office"), QStringLiteral("older.desktop"))), written);
    QVERIFY(!QFile::exists(journalFile));
}

void MenuTest::removalsRememberedUntilReset()
{
    writeFile(m_system.applications() + QStringLiteral("/game.desktop"), m_system.desktopFile(QStringLiteral("Game"), QStringLiteral("Game;")));
    Menu::update(); // no tree yet: created and filled
    const QString written = item(QStringLiteral("games"), QStringLiteral("game.desktop"));
    QVERIFY(QFile::exists(written));

    QVERIFY(QFile::remove(written));
    makeNewer(m_system.menuDir() + QStringLiteral("/games"), m_system.applications() + QStringLiteral("/game.desktop"));
    Menu::update();
    QVERIFY(!QFile::exists(written));

    Menu::reset();
    QVERIFY(QFile::exists(written));
}

void MenuTest::sameFileNameTwice()
{
    const QString system = m_system.applications() + QStringLiteral("/twin.desktop");
    const QString user = m_system.userApplications() + QStringLiteral("/twin.desktop");
    writeFile(system, m_system.desktopFile(QStringLiteral("System Twin"), QStringLiteral("Office;")));
    writeFile(user, m_system.desktopFile(QStringLiteral("User Twin"), QStringLiteral("Office;")));
    Menu::init();

    // The user's folder is read last, so its entry is the one kept.
    const NimbDesktopEntry written(item(QStringLiteral("office"), QStringLiteral("twin.desktop")).toStdString());
    QCOMPARE(written.name(), std::string("User Twin MenuTest"));
    QCOMPARE(QString::fromStdString(written.getUnknownValue("X-Nimb-OriginFile")), user);
}

void MenuTest::administratorCategories()
{
    writeFile(m_system.adminCategories() + QStringLiteral("/arcade/.directory"),
              QStringLiteral("[Desktop Entry]\nType=Directory\nName=Arcade\nCategories=ArcadeGame;Game;\nX-Categories=ArcadeGame\n"));
    writeFile(m_system.adminCategories() + QStringLiteral("/arcade/welcome.desktop"),
              m_system.desktopFile(QStringLiteral("Welcome"), QStringLiteral("Amusement;")));
    writeFile(m_system.applications() + QStringLiteral("/pinball.desktop"),
              m_system.desktopFile(QStringLiteral("Pinball"), QStringLiteral("ArcadeGame;Game;")));
    writeFile(m_system.applications() + QStringLiteral("/chess.desktop"), m_system.desktopFile(QStringLiteral("Chess"), QStringLiteral("Game;BoardGame;")));
    Menu::init();

    // The folder is copied with what it holds; the tree's own declarations win over the
    // administrator's categories (Game stays with games).
    QVERIFY(QFile::exists(item(QStringLiteral("arcade"), QStringLiteral(".directory"))));
    QVERIFY(QFile::exists(item(QStringLiteral("arcade"), QStringLiteral("welcome.desktop"))));
    QVERIFY(QFile::exists(item(QStringLiteral("arcade"), QStringLiteral("pinball.desktop"))));
    QVERIFY(QFile::exists(item(QStringLiteral("games"), QStringLiteral("chess.desktop"))));

    // Copied once, the folder is mapped by its declaration in the tree from then on.
    writeFile(m_system.applications() + QStringLiteral("/breakout.desktop"), m_system.desktopFile(QStringLiteral("Breakout"), QStringLiteral("ArcadeGame;")));
    Menu::generate(true);
    QVERIFY(QFile::exists(item(QStringLiteral("arcade"), QStringLiteral("breakout.desktop"))));
}

void MenuTest::symbolicLinkLoops()
{
    writeFile(m_system.adminCategories() + QStringLiteral("/looped/.directory"),
              QStringLiteral("[Desktop Entry]\nType=Directory\nName=Looped\nCategories=Education;\n"));
    QVERIFY(QFile::link(m_system.adminCategories() + QStringLiteral("/looped"), m_system.adminCategories() + QStringLiteral("/looped/again")));
    QVERIFY(QDir().mkpath(m_system.applications() + QStringLiteral("/deep")));
    QVERIFY(QFile::link(m_system.applications(), m_system.applications() + QStringLiteral("/deep/up")));
    writeFile(m_system.applications() + QStringLiteral("/deep/lesson.desktop"), m_system.desktopFile(QStringLiteral("Lesson"), QStringLiteral("Education;")));
    Menu::init();

    QVERIFY(QFile::exists(item(QStringLiteral("looped"), QStringLiteral("lesson.desktop"))));
    // The link back into the folder is not followed: no copy of the folder nested into itself.
    QCOMPARE(QDir(m_system.menuDir() + QStringLiteral("/looped")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral(".directory"), QStringLiteral("lesson.desktop")}));
    QDir(m_system.adminCategories()).removeRecursively();
}

void MenuTest::templateWithoutHomeFolder()
{
    const QString nimbFolder = QFileInfo(m_system.menuDir()).absolutePath();
    QVERIFY(QDir(nimbFolder).removeRecursively());
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"), m_system.desktopFile(QStringLiteral("Tool"), QStringLiteral("Office;")));
    Menu::update();
    QVERIFY(!Menu::exists());
    QVERIFY(QDir().mkpath(nimbFolder));
    Menu::update();
    QVERIFY(Menu::exists());
    QVERIFY(QFile::exists(item(QStringLiteral("office"), QStringLiteral("tool.desktop"))));
}

void MenuTest::instanceWritesNothing()
{
    Menu *menu = Menu::instance();
    QVERIFY(menu);
    QCOMPARE(Menu::instance(), menu);
    QVERIFY(!Menu::exists());
    QCOMPARE(menu->metaObject()->className(), "Menu");
}

void MenuTest::updateMenuSignalsAroundUpdate()
{
    writeFile(m_system.applications() + QStringLiteral("/tool.desktop"), m_system.desktopFile(QStringLiteral("Tool"), QStringLiteral("Office;")));
    Menu *menu = Menu::instance();
    QStringList events;
    const auto started = connect(menu, &Menu::updateStarted, this, [&events] {
        events.append(Menu::exists() ? QStringLiteral("started with tree") : QStringLiteral("started"));
    });
    const auto finished = connect(menu, &Menu::updateFinished, this, [this, &events] {
        events.append(QFile::exists(m_system.menuDir() + QStringLiteral("/office/tool.desktop")) ? QStringLiteral("finished with item")
                                                                                                 : QStringLiteral("finished"));
    });
    menu->updateMenu();
    QCOMPARE(events, (QStringList{QStringLiteral("started"), QStringLiteral("finished with item")}));

    // Nothing new: the signals come all the same, and nothing is written.
    const QStringList before = itemsBelow(m_system.menuDir());
    events.clear();
    menu->updateMenu();
    QCOMPARE(events, (QStringList{QStringLiteral("started with tree"), QStringLiteral("finished with item")}));
    QCOMPARE(itemsBelow(m_system.menuDir()), before);
    disconnect(started);
    disconnect(finished);
}

void MenuTest::watcherPicksUpNewApplication()
{
    Menu *menu = Menu::instance();
    menu->updateMenu();
    const QString office = m_system.menuDir() + QStringLiteral("/office");
    waitUntilNewerThan(office);

    QSignalSpy started(menu, &Menu::updateStarted);
    QSignalSpy finished(menu, &Menu::updateFinished);
    QVERIFY(started.isValid() && finished.isValid());
    writeFile(m_system.applications() + QStringLiteral("/dropped.desktop"), m_system.desktopFile(QStringLiteral("Dropped"), QStringLiteral("Office;")));

    QTRY_VERIFY(QFile::exists(item(QStringLiteral("office"), QStringLiteral("dropped.desktop"))));
    QVERIFY(started.count() >= 1);
    QTRY_VERIFY(finished.count() >= 1);
}

void MenuTest::watcherFollowsNewCategoryFolder()
{
    Menu *menu = Menu::instance();
    menu->updateMenu();
    const QString newFolder = m_system.adminCategories() + QStringLiteral("/newcat");
    QVERIFY(QDir().mkpath(newFolder));
    menu->updateMenu();

    QSignalSpy started(menu, &Menu::updateStarted);
    QVERIFY(started.isValid());
    writeFile(newFolder + QStringLiteral("/.directory"), QStringLiteral("[Desktop Entry]\nType=Directory\nName=New\nCategories=Science;\n"));
    // Only a watch on the new folder itself reports this file.
    QTRY_VERIFY(QFile::exists(item(QStringLiteral("newcat"), QStringLiteral(".directory"))));
    QVERIFY(started.count() >= 1);
}

void MenuTest::watcherTakesFilesWrittenInPlace_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<bool>("updateBetween");
    QTest::addColumn<bool>("folderNewerThanLastWrite");

    const QByteArray cutShort = m_system.desktopFile(QStringLiteral("Written"), QStringLiteral("Office;")).left(40);
    QTest::addRow("created empty, written 50 ms later") << QByteArray() << false << false;
    QTest::addRow("created empty, written after an update") << QByteArray() << true << false;
    QTest::addRow("cut short, completed after an update") << cutShort << true << false;
    QTest::addRow("completed when its folder had changed") << QByteArray() << true << true;
}

void MenuTest::watcherTakesFilesWrittenInPlace()
{
    QFETCH(QByteArray, first);
    QFETCH(bool, updateBetween);
    QFETCH(bool, folderNewerThanLastWrite);

    Menu *menu = Menu::instance();
    menu->updateMenu();
    const QString office = m_system.menuDir() + QStringLiteral("/office");
    waitUntilNewerThan(office);
    QSignalSpy finished(menu, &Menu::updateFinished);
    QVERIFY(finished.isValid());

    // Created, then written a moment later in place, as cp, an editor or an installer does.
    const QString source = m_system.applications() + QStringLiteral("/written.desktop");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(first);
    file.flush();
    if (updateBetween) {
        QTRY_VERIFY(finished.count() >= 1);
        QVERIFY(!QFile::exists(item(QStringLiteral("office"), QStringLiteral("written.desktop"))));
    } else {
        QTest::qWait(50);
    }
    file.resize(0);
    file.write(m_system.desktopFile(QStringLiteral("Written"), QStringLiteral("Office;")));
    file.close();
    if (folderNewerThanLastWrite) {
        // Another item written into the folder after the file's last write.
        makeNewer(office, source);
    }
    QTRY_VERIFY(QFile::exists(item(QStringLiteral("office"), QStringLiteral("written.desktop"))));
}

void MenuTest::watcherMergesABurstOfInstalls()
{
    Menu *menu = Menu::instance();
    menu->updateMenu();
    waitUntilNewerThan(m_system.menuDir() + QStringLiteral("/games"));
    QSignalSpy started(menu, &Menu::updateStarted);
    QVERIFY(started.isValid());

    constexpr int count = 200;
    for (int i = 0; i < count; ++i) {
        writeFile(m_system.userApplications() + QStringLiteral("/burst%1.desktop").arg(i),
                  m_system.desktopFile(QStringLiteral("Burst %1").arg(i), QStringLiteral("Game;")));
        // The watcher hears of the installs while they go on.
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE(itemsBelow(m_system.menuDir() + QStringLiteral("/games")).size(), count);
    QVERIFY2(started.count() <= 10, qPrintable(QString::number(started.count())));
}

QTEST_GUILESS_MAIN(MenuTest)

#include "menutest.moc"
