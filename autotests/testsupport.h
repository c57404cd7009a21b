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
#include <QVector>

// What the tests of the library share: a home and a system of their own, and files written so that
// QSettings notices them.
namespace TestSupport
{
/**
 * Makes "home" below @p dir the home directory, with the XDG user folders in their usual places
 * below it, "system-data" the only system data folder and "root" the system root, so that nothing a
 * test does reaches the real ones. Returns the home directory, or nothing if it cannot be made.
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
}

#endif
