/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// nimb-wmfunc NIMBWM_UPDATE_VAL KEY VALUE: sets KEY to VALUE in the window manager's theme settings,
// the file StartMenuUtils::isClassicMenuEnabled() reads.

#include <NimbStartMenu/nimbpaths.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTextStream>

namespace
{
enum ExitCode {
    Success = 0,
    Failure = 1,
    UsageError = 2,
};

struct Command {
    QString name;
    QString argumentNames;
    int argumentCount;
    ExitCode (*run)(const QStringList &arguments);
};

void printError(const QString &message)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << QStringLiteral(": ") << message << Qt::endl;
}

QString themeSettingsFile()
{
    return QString::fromStdString(GetNimbDir(NimbDir::WindowManager)) + QStringLiteral("/current.themerc")
        + QString::fromStdString(nimbSessionConfigSuffix(WhatNimbSession::Desktop));
}

ExitCode updateValue(const QStringList &arguments)
{
    const QString &key = arguments.at(0);
    const QString &value = arguments.at(1);
    if (key.isEmpty()) {
        printError(QStringLiteral("KEY must not be empty"));
        return UsageError;
    }
    const QString path = themeSettingsFile();
    if (!QDir().mkpath(QFileInfo(path).path())) {
        printError(QStringLiteral("cannot create the folder of %1").arg(path));
        return Failure;
    }

    QSettings settings(path, QSettings::IniFormat);
    // Written back, a file that was not read in full would lose what was not read. allKeys() parses
    // every section, so that a fault in any of them shows in status().
    settings.allKeys();
    if (settings.status() != QSettings::NoError) {
        const QString problem = settings.status() == QSettings::FormatError ? QStringLiteral("cannot parse %1") : QStringLiteral("cannot read %1");
        printError(problem.arg(path));
        return Failure;
    }
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        printError(QStringLiteral("cannot write %1").arg(path));
        return Failure;
    }
    return Success;
}

const Command commands[] = {
    {QStringLiteral("NIMBWM_UPDATE_VAL"), QStringLiteral("KEY VALUE"), 2, updateValue},
};

ExitCode usage()
{
    QTextStream error(stderr);
    for (const Command &command : commands) {
        error << QStringLiteral("Usage: %1 %2 %3").arg(QCoreApplication::applicationName(), command.name, command.argumentNames) << Qt::endl;
    }
    return UsageError;
}

bool fits(const Command &command, const QStringList &arguments)
{
    return arguments.size() == command.argumentCount + 1 && arguments.first() == command.name;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nimb-wmfunc"));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (const Command &command : commands) {
        if (fits(command, arguments)) {
            return command.run(arguments.mid(1));
        }
    }
    return usage();
}
