/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FUZZSUPPORT_H
#define NIMBSTARTMENU_FUZZSUPPORT_H

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

// What every fuzz target shares: a Qt application object, a scratch folder that is also the home
// directory, and a check that turns a broken rule into a crash libFuzzer records with its input.
namespace FuzzSupport
{
/// Creates the application and the scratch home once; call it from LLVMFuzzerInitialize().
inline void initialize(int *argc, char ***argv)
{
    static QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/nimbstartmenu-fuzz-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(scratch.errorString()));
        std::abort();
    }
    // Nothing a target does may reach the real home or configuration.
    qputenv("HOME", QFile::encodeName(scratch.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/.cache")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/.local/share")));
    qputenv("XDG_DATA_DIRS", "/usr/share");
    // Text files are read with the locale's codec; the targets' references read UTF-8.
    qputenv("LC_ALL", "C.UTF-8");
    static QCoreApplication application(*argc, *argv);
}

/// The scratch folder, which is the home directory too.
inline QString scratchPath()
{
    return QDir::homePath();
}

inline void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[noreturn]] inline void fail(const char *rule, const QString &details)
{
    std::fprintf(stderr, "\n*** broken: %s\n%s\n", rule, details.toLocal8Bit().constData());
    std::abort();
}

inline void check(bool holds, const char *rule)
{
    if (!holds) {
        fail(rule, QString());
    }
}

/// @p details is called only when the rule is broken: building the report costs more than the check.
template<typename Details>
inline void check(bool holds, const char *rule, Details details)
{
    if (!holds) {
        fail(rule, details());
    }
}
}

#endif
