/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "startmenuutils.h"
#include "nimbdesktopentry.h"
#include "nimbpaths.h"
#include "testsupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using TestSupport::writeFile;

namespace
{
const QString menuSubdir = QStringLiteral("/.nimb/startmenu2");
const QString categoriesSubdir = QStringLiteral("/usr/share/applications/nimbstartmenu");

// The path itself preceded by its ancestors, "/" excepted: "/a", "/a/b", "/a/b/c".
QStringList withAncestors(const QString &path)
{
    QStringList chain;
    for (QString current = path; current != QLatin1String("/"); current = QFileInfo(current).path()) {
        chain.prepend(current);
    }
    return chain;
}

QStringList relativeTo(const QString &base, const QStringList &paths)
{
    QStringList relative;
    for (const QString &path : paths) {
        relative.append(path.startsWith(base + QLatin1Char('/')) ? path.mid(base.size() + 1) : path);
    }
    return relative;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Links are given as "name -> target", the name relative to the root unless absolute; "<root>" and
// "<outside>" stand for the root and for a folder beside it.
bool makeTree(const QString &root, const QStringList &folders, const QStringList &files, const QStringList &links, const QString &outside)
{
    if (!QDir().mkpath(root)) {
        return false;
    }
    for (const QString &folder : folders) {
        if (!QDir(root).mkpath(folder)) {
            return false;
        }
    }
    for (const QString &file : files) {
        writeFile(root + QLatin1Char('/') + file, "StartMenuUtilsTest\n");
    }
    for (const QString &link : links) {
        QStringList parts = link.split(QStringLiteral(" -> "));
        for (QString &part : parts) {
            part.replace(QStringLiteral("<root>"), root).replace(QStringLiteral("<outside>"), outside);
        }
        const QString name = parts.at(0).startsWith(QLatin1Char('/')) ? parts.at(0) : root + QLatin1Char('/') + parts.at(0);
        if (!QFile::link(parts.at(1), name)) {
            return false;
        }
    }
    return true;
}
}

class StartMenuUtilsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void menuDirFollowsFirstHome();
    void appSearchPaths();
    void appSearchPathsWithParents();
    void subdirs_data();
    void subdirs();
    void subdirsOfSeveralRoots_data();
    void subdirsOfSeveralRoots();
    void menuPathsToWatch_data();
    void menuPathsToWatch();
    void userCategoriesSearchPaths();
    void userCategoriesSearchPathsWithSubdirs();
    void appDirsToWatch();
    void stringListConversions_data();
    void stringListConversions();
    void sudoUserHomeDir_data();
    void sudoUserHomeDir();
    void overrideDesktopEntry_data();
    void overrideDesktopEntry();
    void saveIconToFile_data();
    void saveIconToFile();
    void allAppDesktopEntrySearchPaths_data();
    void allAppDesktopEntrySearchPaths();
    void nimbDir_data();
    void nimbDir();
    void sessionConfigSuffix_data();
    void sessionConfigSuffix();

private:
    QString systemDataDir() const;
    QString categoriesRoot() const;
    QStringList expectedSearchPathsWithParents() const;

    QTemporaryDir m_tempDir;
    QString m_base;
    QString m_home;
    QString m_root;
    QByteArray m_dataDirs;
    QByteArray m_dataHome;
    QByteArray m_sudoUser;
    bool m_hadSudoUser = false;
};

void StartMenuUtilsTest::initTestCase()
{
    m_home = TestSupport::isolate(m_tempDir);
    QVERIFY(!m_home.isEmpty());
    m_base = m_tempDir.path();
    m_root = m_base + QStringLiteral("/root");
    QVERIFY(QDir().mkpath(m_root));
    QCOMPARE(StartMenuUtils::systemRoot(), m_root);

    // Doubled and trailing slashes on purpose: the cached search paths must come out clean.
    m_dataDirs = QFile::encodeName(m_base + QStringLiteral("//system-data/"));
    m_dataHome = QFile::encodeName(m_home + QStringLiteral("//.local/share/"));
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("XDG_DATA_DIRS", m_dataDirs);
    m_hadSudoUser = qEnvironmentVariableIsSet("SUDO_USER");
    m_sudoUser = qgetenv("SUDO_USER");
}

void StartMenuUtilsTest::cleanup()
{
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("XDG_DATA_DIRS", m_dataDirs);
    if (m_hadSudoUser) {
        qputenv("SUDO_USER", m_sudoUser);
    } else {
        qunsetenv("SUDO_USER");
    }

    // Never remove anything outside the temporary folder, whatever a failed case left behind.
    const QString menu = StartMenuUtils::menuDir();
    if (menu.startsWith(m_base + QLatin1Char('/'))) {
        QDir(menu).removeRecursively();
    }
    QDir(categoriesRoot()).removeRecursively();
}

QString StartMenuUtilsTest::systemDataDir() const
{
    return m_root + m_base + QStringLiteral("/system-data/applications");
}

QString StartMenuUtilsTest::categoriesRoot() const
{
    return m_root + categoriesSubdir;
}

QStringList StartMenuUtilsTest::expectedSearchPathsWithParents() const
{
    QStringList expected = withAncestors(systemDataDir());
    QStringList userChain = withAncestors(m_home + QStringLiteral("/.local/share/applications"));
    userChain.removeOne(m_home);
    return expected + userChain;
}

void StartMenuUtilsTest::menuDirFollowsFirstHome()
{
    const QString expected = m_home + menuSubdir;
    QCOMPARE(StartMenuUtils::menuDir(), expected);

    const QString otherHome = m_base + QStringLiteral("/other-home");
    qputenv("HOME", QFile::encodeName(otherHome));
    QCOMPARE(QDir::homePath(), otherHome);
    QCOMPARE(StartMenuUtils::menuDir(), expected);
}

void StartMenuUtilsTest::appSearchPaths()
{
    const QStringList expected{systemDataDir(), m_home + QStringLiteral("/.local/share/applications")};
    QCOMPARE(StartMenuUtils::appSearchPaths(), expected);

    // Computed once for the life of the process.
    qputenv("XDG_DATA_DIRS", "/elsewhere-startmenuutilstest");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_base + QStringLiteral("/elsewhere")));
    QCOMPARE(StartMenuUtils::appSearchPaths(), expected);
}

void StartMenuUtilsTest::appSearchPathsWithParents()
{
    const QStringList expected = expectedSearchPathsWithParents();
    const QStringList paths = StartMenuUtils::appSearchPathsWithParents();
    QCOMPARE(paths, expected);
    QVERIFY(!paths.contains(m_home));
    QVERIFY(!paths.contains(QStringLiteral("/")));
    for (const QString &path : paths) {
        QVERIFY2(!path.contains(QLatin1String("//")) && !path.endsWith(QLatin1Char('/')), qPrintable(path));
    }
    // The system root lies inside the temporary folder, so its ancestors come once per search path.
    QCOMPARE(paths.count(m_base), 2);

    qputenv("HOME", QFile::encodeName(m_base));
    QCOMPARE(StartMenuUtils::appSearchPathsWithParents(), expected);
}

void StartMenuUtilsTest::subdirs_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<bool>("topLevelOnly");
    QTest::addColumn<QStringList>("expected");

    const QStringList nested{QStringLiteral("alpha/beta/gamma"), QStringLiteral("delta")};
    QTest::addRow("first level only") << nested << QStringList() << QStringList() << true << QStringList{QStringLiteral("alpha"), QStringLiteral("delta")};
    QTest::addRow("every level") << nested << QStringList() << QStringList() << false
                                 << QStringList{QStringLiteral("alpha"),
                                                QStringLiteral("alpha/beta"),
                                                QStringLiteral("alpha/beta/gamma"),
                                                QStringLiteral("delta")};

    const QStringList withHidden{QStringLiteral("alpha"), QStringLiteral(".hidden/inner/deeper")};
    QTest::addRow("hidden folder, first level") << withHidden << QStringList() << QStringList() << true << QStringList{QStringLiteral("alpha")};
    QTest::addRow("hidden folder, every level") << withHidden << QStringList() << QStringList() << false << QStringList{QStringLiteral("alpha")};
    QTest::addRow("hidden folder further down") << QStringList{QStringLiteral("alpha/.git/objects")} << QStringList() << QStringList() << false
                                                << QStringList{QStringLiteral("alpha")};

    QTest::addRow("plain files left out") << QStringList{QStringLiteral("alpha")}
                                          << QStringList{QStringLiteral("notes.txt"), QStringLiteral(".directory"), QStringLiteral("alpha/app.desktop")}
                                          << QStringList() << false << QStringList{QStringLiteral("alpha")};
    QTest::addRow("empty root") << QStringList() << QStringList() << QStringList() << false << QStringList();

    const QStringList folderLink{QStringLiteral("linked -> <outside>")};
    QTest::addRow("link to a folder, first level") << QStringList() << QStringList() << folderLink << true << QStringList{QStringLiteral("linked")};
    QTest::addRow("link to a folder, every level") << QStringList() << QStringList() << folderLink << false
                                                   << QStringList{QStringLiteral("linked"), QStringLiteral("linked/child")};
    QTest::addRow("dangling link") << QStringList() << QStringList() << QStringList{QStringLiteral("broken -> <outside>/missing")} << false << QStringList();
    QTest::addRow("link to a file") << QStringList() << QStringList() << QStringList{QStringLiteral("file -> <outside>/file.txt")} << false << QStringList();

    // The walk stops at a link back into what it already entered; the link itself is still listed.
    QTest::addRow("loop to the parent, every level") << QStringList{QStringLiteral("a")} << QStringList() << QStringList{QStringLiteral("a/b -> ..")} << false
                                                     << QStringList{QStringLiteral("a"), QStringLiteral("a/b")};
    QTest::addRow("loop to the parent, first level") << QStringList{QStringLiteral("a")} << QStringList() << QStringList{QStringLiteral("a/b -> ..")} << true
                                                     << QStringList{QStringLiteral("a")};
    QTest::addRow("loop two levels up") << QStringList{QStringLiteral("a/b")} << QStringList() << QStringList{QStringLiteral("a/b/c -> ../..")} << false
                                        << QStringList{QStringLiteral("a"), QStringLiteral("a/b"), QStringLiteral("a/b/c")};
    QTest::addRow("link to its own folder") << QStringList{QStringLiteral("a")} << QStringList() << QStringList{QStringLiteral("a/self -> .")} << false
                                            << QStringList{QStringLiteral("a"), QStringLiteral("a/self")};
    QTest::addRow("links pointing at each other")
        << QStringList{QStringLiteral("x")} << QStringList() << QStringList{QStringLiteral("x/out -> <outside>"), QStringLiteral("<outside>/back -> <root>/x")}
        << false << QStringList{QStringLiteral("x"), QStringLiteral("x/out"), QStringLiteral("x/out/back"), QStringLiteral("x/out/child")};
}

void StartMenuUtilsTest::subdirs()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QStringList, links);
    QFETCH(bool, topLevelOnly);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path() + QStringLiteral("/root");
    const QString outside = dir.path() + QStringLiteral("/outside");
    QVERIFY(QDir().mkpath(outside + QStringLiteral("/child")));
    writeFile(outside + QStringLiteral("/file.txt"), "StartMenuUtilsTest\n");
    QVERIFY(makeTree(root, folders, files, links, outside));

    const QStringList result = StartMenuUtils::subdirs(root, topLevelOnly);
    QCOMPARE(sorted(relativeTo(root, result)), expected);

    // A folder comes before what it holds.
    for (const QString &path : result) {
        const QString parent = QFileInfo(path).path();
        if (parent != root) {
            QVERIFY2(result.indexOf(parent) >= 0 && result.indexOf(parent) < result.indexOf(path), qPrintable(path));
        }
    }
}

void StartMenuUtilsTest::subdirsOfSeveralRoots_data()
{
    QTest::addColumn<QStringList>("roots");
    QTest::addColumn<bool>("topLevelOnly");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("roots in the order given") << QStringList{QStringLiteral("two"), QStringLiteral("one")} << true
                                              << QStringList{QStringLiteral("two/second"), QStringLiteral("one/first")};
    QTest::addRow("repeated root listed twice") << QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("one")} << true
                                                << QStringList{QStringLiteral("one/first"), QStringLiteral("two/second"), QStringLiteral("one/first")};
    QTest::addRow("every level of each root") << QStringList{QStringLiteral("one"), QStringLiteral("two")} << false
                                              << QStringList{QStringLiteral("one/first"), QStringLiteral("one/first/deep"), QStringLiteral("two/second")};
    QTest::addRow("missing root skipped") << QStringList{QStringLiteral("missing"), QStringLiteral("two")} << false
                                          << QStringList{QStringLiteral("two/second")};
    QTest::addRow("no roots") << QStringList() << false << QStringList();
}

void StartMenuUtilsTest::subdirsOfSeveralRoots()
{
    QFETCH(QStringList, roots);
    QFETCH(bool, topLevelOnly);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("one/first/deep")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("two/second")));

    QStringList absoluteRoots;
    for (const QString &root : roots) {
        absoluteRoots.append(dir.path() + QLatin1Char('/') + root);
    }
    QCOMPARE(relativeTo(dir.path(), StartMenuUtils::subdirs(absoluteRoots, topLevelOnly)), expected);
}

void StartMenuUtilsTest::menuPathsToWatch_data()
{
    QTest::addColumn<bool>("createMenuDir");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("menu tree missing") << false << QStringList() << QStringList() << QStringList();
    QTest::addRow("empty menu tree") << true << QStringList() << QStringList() << QStringList();
    QTest::addRow("categories with declarations and entries") << true << QStringList{QStringLiteral("Office/Text"), QStringLiteral("Games")}
                                                              << QStringList{QStringLiteral(".directory"),
                                                                             QStringLiteral("Office/.directory"),
                                                                             QStringLiteral("Office/Text/writer.desktop"),
                                                                             QStringLiteral("Games/.directory")}
                                                              << QStringList{QStringLiteral(".directory"),
                                                                             QStringLiteral("Games"),
                                                                             QStringLiteral("Games/.directory"),
                                                                             QStringLiteral("Office"),
                                                                             QStringLiteral("Office/.directory"),
                                                                             QStringLiteral("Office/Text"),
                                                                             QStringLiteral("Office/Text/writer.desktop")};
    QTest::addRow("hidden folder and its content") << true << QStringList{QStringLiteral(".old/Games")} << QStringList{QStringLiteral(".old/Games/.directory")}
                                                   << QStringList{QStringLiteral(".old"),
                                                                  QStringLiteral(".old/Games"),
                                                                  QStringLiteral(".old/Games/.directory")};
}

void StartMenuUtilsTest::menuPathsToWatch()
{
    QFETCH(bool, createMenuDir);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);

    const QString menu = StartMenuUtils::menuDir();
    QCOMPARE(menu, m_home + menuSubdir);
    if (createMenuDir) {
        QVERIFY(makeTree(menu, folders, files, QStringList(), QString()));
    } else {
        QVERIFY(!QFileInfo::exists(menu));
    }

    const QStringList paths = StartMenuUtils::menuPathsToWatch();
    QVERIFY(!paths.contains(menu));
    QCOMPARE(sorted(relativeTo(menu, paths)), expected);
}

void StartMenuUtilsTest::userCategoriesSearchPaths()
{
    QCOMPARE(StartMenuUtils::userCategoriesSearchPaths(), QStringList{categoriesRoot()});
}

void StartMenuUtilsTest::userCategoriesSearchPathsWithSubdirs()
{
    const QString root = categoriesRoot();
    QCOMPARE(StartMenuUtils::userCategoriesSearchPathsWithSubdirs(), QStringList());

    QVERIFY(QDir().mkpath(root + QStringLiteral("/Games")));
    QCOMPARE(StartMenuUtils::userCategoriesSearchPathsWithSubdirs(), QStringList{root + QStringLiteral("/Games")});

    // Created after the first calls: the listing is not cached.
    QVERIFY(QDir().mkpath(root + QStringLiteral("/Games/Puzzles")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/.git/objects")));
    writeFile(root + QStringLiteral("/Games/.directory"), "[Desktop Entry]\n");
    QCOMPARE(StartMenuUtils::userCategoriesSearchPathsWithSubdirs(), (QStringList{root + QStringLiteral("/Games"), root + QStringLiteral("/Games/Puzzles")}));
}

void StartMenuUtilsTest::appDirsToWatch()
{
    QCOMPARE(StartMenuUtils::appDirsToWatch(), expectedSearchPathsWithParents());

    const QString root = categoriesRoot();
    QVERIFY(QDir().mkpath(root + QStringLiteral("/Games/Puzzles")));
    const QStringList expected = expectedSearchPathsWithParents() + QStringList{root + QStringLiteral("/Games"), root + QStringLiteral("/Games/Puzzles")};
    QCOMPARE(StartMenuUtils::appDirsToWatch(), expected);
}

void StartMenuUtilsTest::stringListConversions_data()
{
    QTest::addColumn<QStringList>("strings");
    QTest::addColumn<QByteArrayList>("utf8");

    QTest::addRow("empty list") << QStringList() << QByteArrayList();
    QTest::addRow("one ASCII element") << QStringList{QStringLiteral("firefox.desktop")} << QByteArrayList{QByteArrayLiteral("firefox.desktop")};
    QTest::addRow("order kept") << QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}
                                << QByteArrayList{QByteArrayLiteral("b"), QByteArrayLiteral("a"), QByteArrayLiteral("c")};
    QTest::addRow("empty elements kept") << QStringList{QString(), QStringLiteral("x"), QString()}
                                         << QByteArrayList{QByteArray(), QByteArrayLiteral("x"), QByteArray()};
    QTest::addRow("Cyrillic") << QStringList{QStringLiteral("\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u044f")}
                              << QByteArrayList{QByteArrayLiteral("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xbb\xd0\xbe\xd0\xb6\xd0\xb5\xd0\xbd\xd0\xb8\xd1\x8f")};
    QTest::addRow("accents and CJK") << QStringList{QStringLiteral("caf\u00e9"), QStringLiteral("\u65e5\u672c")}
                                     << QByteArrayList{QByteArrayLiteral("caf\xc3\xa9"), QByteArrayLiteral("\xe6\x97\xa5\xe6\x9c\xac")};
    QTest::addRow("character outside the BMP") << QStringList{QStringLiteral("\U0001F4C1 Files")}
                                               << QByteArrayList{QByteArrayLiteral("\xf0\x9f\x93\x81 Files")};
    QTest::addRow("NUL inside an element") << QStringList{QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"))}
                                           << QByteArrayList{QByteArray("a\0b", 3)};
}

void StartMenuUtilsTest::stringListConversions()
{
    QFETCH(QStringList, strings);
    QFETCH(QByteArrayList, utf8);

    std::vector<std::string> bytes;
    for (const QByteArray &element : utf8) {
        bytes.emplace_back(element.constData(), size_t(element.size()));
    }

    QCOMPARE(StartMenuUtils::stdStringVectorToQStringList(bytes), strings);
    const std::vector<std::string> encoded = StartMenuUtils::qStringListToStdStringVector(strings);
    QCOMPARE(encoded.size(), bytes.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        QCOMPARE(QByteArray(encoded[i].data(), int(encoded[i].size())), utf8.at(int(i)));
    }
}

void StartMenuUtilsTest::sudoUserHomeDir_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QString>("expected");

    QTest::addRow("SUDO_USER unset") << false << QByteArray() << QString();
    QTest::addRow("unknown user") << true << QByteArrayLiteral("nimb-no-such-user-startmenuutilstest") << QString();
    QTest::addRow("empty user name") << true << QByteArrayLiteral("") << QString();

    const struct passwd *self = ::getpwuid(::geteuid());
    QVERIFY(self);
    const QFileInfo selfHome(QString::fromUtf8(self->pw_dir));
    QTest::addRow("current user") << true << QByteArray(self->pw_name)
                                  << (selfHome.isDir() && selfHome.isReadable() ? selfHome.canonicalFilePath() : QString());

    // An account whose home folder does not exist, as Debian's "nobody" has.
    const struct passwd *nobody = ::getpwnam("nobody");
    if (nobody && !QFileInfo::exists(QString::fromUtf8(nobody->pw_dir))) {
        QTest::addRow("home folder missing") << true << QByteArray(nobody->pw_name) << QString();
    }
}

void StartMenuUtilsTest::sudoUserHomeDir()
{
    QFETCH(bool, set);
    QFETCH(QByteArray, user);
    QFETCH(QString, expected);

    if (set) {
        qputenv("SUDO_USER", user);
    } else {
        qunsetenv("SUDO_USER");
    }

    const QString home = StartMenuUtils::sudoUserHomeDir();
    QCOMPARE(home.isNull(), expected.isNull());
    QCOMPARE(home, expected);
}

void StartMenuUtilsTest::overrideDesktopEntry_data()
{
    QTest::addColumn<bool>("overrideDirExists");
    QTest::addColumn<QString>("overrideFileName");
    QTest::addColumn<QByteArray>("overrideContent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("comment");

    const QString originalName = QStringLiteral("Original StartMenuUtilsTest");
    const QString originalIcon = QStringLiteral("original-icon");
    const QByteArray patch = QByteArrayLiteral("[Desktop Entry]\nName=Patched StartMenuUtilsTest\nIcon=patched-icon\n");

    QTest::addRow("no override folder") << false << QString() << QByteArray() << originalName << originalIcon << QString();
    QTest::addRow("no override file") << true << QString() << QByteArray() << originalName << originalIcon << QString();
    QTest::addRow("override for another entry") << true << QStringLiteral("other.desktop") << patch << originalName << originalIcon << QString();
    QTest::addRow("override replaces keys") << true << QStringLiteral("foo.desktop") << patch << QStringLiteral("Patched StartMenuUtilsTest")
                                            << QStringLiteral("patched-icon") << QString();
    QTest::addRow("override adds a key") << true << QStringLiteral("foo.desktop") << QByteArrayLiteral("[Desktop Entry]\nComment=Added by override\n")
                                         << originalName << originalIcon << QStringLiteral("Added by override");
}

void StartMenuUtilsTest::overrideDesktopEntry()
{
    QFETCH(bool, overrideDirExists);
    QFETCH(QString, overrideFileName);
    QFETCH(QByteArray, overrideContent);
    QFETCH(QString, name);
    QFETCH(QString, icon);
    QFETCH(QString, comment);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString entryPath = dir.path() + QStringLiteral("/applications/foo.desktop");
    writeFile(entryPath,
              "[Desktop Entry]\nType=Application\nName=Original StartMenuUtilsTest\n"
              "Exec=original-startmenuutilstest\nIcon=original-icon\n");
    const QString overrideDir = dir.path() + QStringLiteral("/overrides");
    if (overrideDirExists) {
        QVERIFY(QDir().mkpath(overrideDir));
    }
    if (!overrideFileName.isEmpty()) {
        writeFile(overrideDir + QLatin1Char('/') + overrideFileName, overrideContent);
    }

    NimbDesktopEntry entry(entryPath.toStdString());
    QVERIFY(entry.isLoaded());
    StartMenuUtils::overrideDesktopEntry(entry, QStringLiteral("foo.desktop"), overrideDir);

    QCOMPARE(QString::fromStdString(entry.path()), entryPath);
    QCOMPARE(QString::fromStdString(entry.name()), name);
    QCOMPARE(QString::fromStdString(entry.icon()), icon);
    QCOMPARE(QString::fromStdString(entry.comment()), comment);
    QCOMPARE(QString::fromStdString(entry.exec()), QStringLiteral("original-startmenuutilstest"));
    QCOMPARE(QString::fromStdString(entry.type()), QStringLiteral("Application"));
}

void StartMenuUtilsTest::saveIconToFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("nullIcon");
    QTest::addColumn<bool>("saved");

    QTest::addRow("png file") << QStringLiteral("icon.png") << false << true;
    QTest::addRow("bmp file") << QStringLiteral("icon.bmp") << false << true;
    QTest::addRow("folder missing") << QStringLiteral("missing/icon.png") << false << false;
    QTest::addRow("no suffix to name a format") << QStringLiteral("icon") << false << false;
    QTest::addRow("null icon") << QStringLiteral("null.png") << true << false;
}

void StartMenuUtilsTest::saveIconToFile()
{
    QFETCH(QString, fileName);
    QFETCH(bool, nullIcon);
    QFETCH(bool, saved);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.path() + QLatin1Char('/') + fileName;
    const QColor colour(200, 40, 90);
    QPixmap pixmap(64, 64);
    pixmap.fill(colour);
    const QIcon icon = nullIcon ? QIcon() : QIcon(pixmap);

    QCOMPARE(StartMenuUtils::saveIconToFile(icon, path), saved);
    QCOMPARE(QFileInfo::exists(path), saved);
    if (saved) {
        const QImage image(path);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(16, 16), colour);
    }
}

void StartMenuUtilsTest::allAppDesktopEntrySearchPaths_data()
{
    QTest::addColumn<QByteArray>("dataDirs"); // a null value leaves the variable unset
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QStringList>("expected");

    const QString userApps = m_home + QStringLiteral("/.local/share/applications");
    const QStringList defaults{m_root + QStringLiteral("/usr/local/share/applications"), m_root + QStringLiteral("/usr/share/applications"), userApps};

    QTest::addRow("defaults") << QByteArray() << QByteArray() << defaults;
    QTest::addRow("empty variables") << QByteArrayLiteral("") << QByteArrayLiteral("") << defaults;
    QTest::addRow("custom folders") << QByteArrayLiteral("/opt/one:/opt/two") << QByteArrayLiteral("/data/home")
                                    << QStringList{m_root + QStringLiteral("/opt/one/applications"),
                                                   m_root + QStringLiteral("/opt/two/applications"),
                                                   QStringLiteral("/data/home/applications")};
    QTest::addRow("relative data folders skipped") << QByteArrayLiteral("relative/share:/opt/one:./here") << QByteArray()
                                                   << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("only relative data folders") << QByteArrayLiteral("share:local/share") << QByteArray() << QStringList{userApps};
    QTest::addRow("relative data home replaced by the default")
        << QByteArrayLiteral("/opt/one") << QByteArrayLiteral("relative/home") << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("empty entries skipped") << QByteArrayLiteral("::/opt/one::") << QByteArray()
                                           << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("trailing slashes") << QByteArrayLiteral("/opt/one/:/opt/two//") << QByteArrayLiteral("/data/home/")
                                      << QStringList{m_root + QStringLiteral("/opt/one/applications"),
                                                     m_root + QStringLiteral("/opt/two/applications"),
                                                     QStringLiteral("/data/home/applications")};
    QTest::addRow("duplicates listed once") << QByteArrayLiteral("/opt/one:/opt/two:/opt/one") << QByteArray()
                                            << QStringList{m_root + QStringLiteral("/opt/one/applications"),
                                                           m_root + QStringLiteral("/opt/two/applications"),
                                                           userApps};
    QTest::addRow("duplicate spelt with a trailing slash")
        << QByteArrayLiteral("/opt/one:/opt/one/") << QByteArray() << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("duplicate spelt with a doubled slash")
        << QByteArrayLiteral("/opt/one:/opt//one") << QByteArray() << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("data home also a system folder") << QByteArrayLiteral("/opt/one") << QFile::encodeName(m_root + QStringLiteral("/opt/one"))
                                                    << QStringList{m_root + QStringLiteral("/opt/one/applications")};
    QTest::addRow("filesystem root as a data folder") << QByteArrayLiteral("/") << QByteArray()
                                                      << QStringList{m_root + QStringLiteral("/applications"), userApps};
    QTest::addRow("dot-dot inside a folder") << QByteArrayLiteral("/opt/two/../one:/opt/one") << QByteArray()
                                             << QStringList{m_root + QStringLiteral("/opt/one/applications"), userApps};
    QTest::addRow("non-ASCII folder") << QByteArrayLiteral("/opt/\xc3\xa9t\xc3\xa9") << QByteArray()
                                      << QStringList{m_root + QStringLiteral("/opt/\u00e9t\u00e9/applications"), userApps};
}

void StartMenuUtilsTest::allAppDesktopEntrySearchPaths()
{
    QFETCH(QByteArray, dataDirs);
    QFETCH(QByteArray, dataHome);
    QFETCH(QStringList, expected);

    const auto setOrUnset = [](const char *name, const QByteArray &value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };
    setOrUnset("XDG_DATA_DIRS", dataDirs);
    setOrUnset("XDG_DATA_HOME", dataHome);

    QCOMPARE(StartMenuUtils::stdStringVectorToQStringList(GetAllAppDesktopEntrySearchPaths()), expected);
}

void StartMenuUtilsTest::nimbDir_data()
{
    QTest::addColumn<int>("dir");
    QTest::addColumn<QString>("expected");

    QTest::addRow("base") << int(NimbDir::Base) << m_home + QStringLiteral("/.nimb");
    QTest::addRow("config") << int(NimbDir::Config) << m_home + QStringLiteral("/.nimb/config");
    QTest::addRow("cache") << int(NimbDir::Cache) << m_home + QStringLiteral("/.nimb/cache");
    QTest::addRow("window manager") << int(NimbDir::WindowManager) << m_home + QStringLiteral("/.nimb/wm");
    QTest::addRow("unknown folder") << 42 << QString();
    QTest::addRow("negative value") << -1 << QString();
}

void StartMenuUtilsTest::nimbDir()
{
    QFETCH(int, dir);
    QFETCH(QString, expected);

    QCOMPARE(QString::fromStdString(GetNimbDir(static_cast<NimbDir>(dir))), expected);
    QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.nimb/wm")));
}

void StartMenuUtilsTest::sessionConfigSuffix_data()
{
    QTest::addColumn<int>("session");
    QTest::addColumn<QString>("expected");

    QTest::addRow("desktop session") << int(WhatNimbSession::Desktop) << QString();
    QTest::addRow("safe session") << int(WhatNimbSession::Safe) << QStringLiteral("-safe");
}

void StartMenuUtilsTest::sessionConfigSuffix()
{
    QFETCH(int, session);
    QFETCH(QString, expected);

    QCOMPARE(QString::fromStdString(nimbSessionConfigSuffix(static_cast<WhatNimbSession>(session))), expected);
}

QTEST_MAIN(StartMenuUtilsTest)

#include "startmenuutilstest.moc"
