/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_TESTSUPPORT_H
#define NIMBSTARTMENU_TESTSUPPORT_H

#include "startmenuutils.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPair>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

// What the tests of the library share: a home and a system of their own, and files written so that
// QSettings notices them.
namespace TestSupport
{
/**
 * Makes "home" below @p dir the home directory, with the XDG user folders in their usual places
 * below it, "system-data" the only system data folder, "system-config" the only system configuration
 * folder and "root" the system root, so that nothing a test does reaches the real ones. Returns the
 * home directory, or nothing if it cannot be made.
 */
inline QString isolate(const QTemporaryDir &dir)
{
    const QString home = dir.filePath(QStringLiteral("home"));
    if (!dir.isValid() || !QDir().mkpath(home)) {
        return QString();
    }
    QStandardPaths::setTestModeEnabled(true);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(dir.filePath(QStringLiteral("system-data"))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.filePath(QStringLiteral("system-config"))));
    StartMenuUtils::setSystemRoot(dir.filePath(QStringLiteral("root")));
    return QDir::homePath() == home ? home : QString();
}

/// The configuration file of the menu's and the search's preferences.
inline QString preferencesFile()
{
    return QDir::homePath() + QStringLiteral("/.config/kolvatek/nimb-start-menu.conf");
}

/**
 * Writes @p content to @p path in place, creating its folder. QSettings keeps what it read while a
 * file's size and modification time stay the same, so every version gets a time of its own.
 */
inline bool writeNewVersion(const QString &path, const QByteArray &content)
{
    static int version = 0;
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size()
        && file.flush() && file.setFileTime(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC).addSecs(++version), QFileDevice::FileModificationTime);
}

/// The rows of a save() that meets values another writer put into the file: whether the object
/// loaded before the other writer wrote, and whether it changed the value itself.
inline void addOtherWriterRows()
{
    QTest::addColumn<bool>("loadFirst");
    QTest::addColumn<bool>("changeHere");

    QTest::addRow("save without load") << false << false;
    QTest::addRow("file written after load") << true << false;
    QTest::addRow("changed here, without load") << false << true;
    QTest::addRow("changed here, after load") << true << true;
}

/**
 * Lines that make QSettings report a format error, as they turn up in hand-edited files, by what
 * they are. QSettings still reads the entries that follow.
 */
inline QVector<QPair<const char *, QByteArray>> damagedLines()
{
    return {
        {"comment line", "# set by hand\n"},
        {"line without an equals sign", "just some words\n"},
        {"binary garbage", "\x01\x02\xff\xfe\x7f[[\n=\n"},
        {"unclosed group header", "[General\n"},
    };
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

/// Writes @p content to @p path, creating its folder; the running test fails if it cannot.
inline void writeFile(const QString &path, const QByteArray &content)
{
    QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()), qPrintable(path));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(content), qint64(content.size()));
}

inline void writeFile(const QString &path, const QString &content)
{
    writeFile(path, content.toUtf8());
}

inline void writeFile(const QString &path, const char *content)
{
    writeFile(path, QByteArray(content));
}

/**
 * A system of the test's own: a home and a system root below a temporary folder, with the system's
 * data folder at /usr/share below the root, as the menu and the index look for applications. Every
 * desktop file it builds carries the test's marker, so nothing installed on the machine can answer
 * for a fixture.
 */
class FakeSystem
{
public:
    /// The temporary folder goes below @p parent (watched folders of the menu stay clear of /tmp).
    explicit FakeSystem(const QString &marker, const QString &parent = QDir::tempPath())
        : m_marker(marker)
        , m_dir(parent + QLatin1Char('/') + marker.toLower() + QStringLiteral("-XXXXXX"))
    {
    }

    /// Makes the fake home and root those of the process; false if they cannot be made.
    bool install() const
    {
        if (isolate(m_dir) != home()) {
            return false;
        }
        qputenv("XDG_DATA_DIRS", "/usr/share");
        return QDir().mkpath(applications()) && QDir().mkpath(userApplications());
    }

    QString marker() const
    {
        return m_marker;
    }
    QString path() const
    {
        return m_dir.path();
    }
    QString home() const
    {
        return path() + QStringLiteral("/home");
    }
    QString root() const
    {
        return path() + QStringLiteral("/root");
    }
    /// @p path (absolute) below the system root.
    QString systemPath(const QString &path) const
    {
        return root() + path;
    }
    QString applications() const
    {
        return systemPath(QStringLiteral("/usr/share/applications"));
    }
    QString userApplications() const
    {
        return home() + QStringLiteral("/.local/share/applications");
    }
    /// The administrator's category folders.
    QString adminCategories() const
    {
        return systemPath(QStringLiteral("/usr/share/applications/nimbstartmenu"));
    }
    /// The tree a new menu is copied from.
    QString templateTree() const
    {
        return systemPath(QStringLiteral("/usr/share/nimb-start-menu/startmenu"));
    }
    /// The overrides of desktop files that the menu and the index both apply.
    QString overrides() const
    {
        return systemPath(QStringLiteral("/usr/share/nimb/desktop-entries-override"));
    }
    /// The overrides that only the menu applies, after the others.
    QString menuOverrides() const
    {
        return systemPath(QStringLiteral("/usr/share/nimb-start-menu/overrides"));
    }
    QString settingsTable() const
    {
        return systemPath(QStringLiteral("/usr/share/nimb-start-menu/settings-apps.csv"));
    }
    QString menuDir() const
    {
        return home() + QStringLiteral("/.nimb/startmenu2");
    }

    /**
     * An application named "@p name <marker>", run as its name in lower case without spaces,
     * with a Categories line unless @p categories is null, and then the lines of @p extra.
     */
    QByteArray desktopFile(const QString &name, const QString &categories = QString(), const QByteArray &extra = QByteArray()) const
    {
        QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1 %2\nExec=%3\n").arg(name, m_marker, name.toLower().remove(QLatin1Char(' ')));
        if (!categories.isNull()) {
            text += QStringLiteral("Categories=%1\n").arg(categories);
        }
        return text.toUtf8() + extra;
    }
    QByteArray desktopFile(const QString &name, const QString &categories, const QString &extra) const
    {
        return desktopFile(name, categories, extra.toUtf8());
    }
    /// The declaration of a category folder, with an X-Categories line unless @p xCategories is null.
    static QByteArray folderDeclaration(const QString &name, const QString &xCategories = QString())
    {
        QString text = QStringLiteral("[Desktop Entry]\nType=Directory\nName=%1\n").arg(name);
        if (!xCategories.isNull()) {
            text += QStringLiteral("X-Categories=%1\n").arg(xCategories);
        }
        return text.toUtf8();
    }

private:
    const QString m_marker;
    QTemporaryDir m_dir;
};
}

#endif
