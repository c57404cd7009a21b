/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The inspection commands: where the library looks, and how it reads a desktop file.

#include "cli.h"

#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>

namespace Commands
{
int paths(const Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    if (!Cli::parse(parser, invocation, QStringLiteral("Prints the folders the library uses, and how many desktop files in each it accepts."))) {
        return Cli::UsageError;
    }

    const auto acceptedEntries = [](const QString &folder) {
        int accepted = 0;
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const NimbDesktopEntry entry(it.next().toStdString());
            accepted += entry.isLoaded() && entry.isValid() && entry.isSuitable(nullptr) && entry.isDisplayable(nullptr) && entry.isForNimb(nullptr);
        }
        return accepted;
    };

    QElapsedTimer timer;
    timer.start();
    QJsonArray searchPaths;
    for (const QString &path : StartMenuUtils::appSearchPaths()) {
        searchPaths.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("accepted"), acceptedEntries(path)}});
    }
    const qint64 readMs = timer.elapsed();
    const QString themeFile = QString::fromStdString(GetNimbDir(NimbDir::WindowManager)) + QStringLiteral("/current.themerc")
        + QString::fromStdString(nimbSessionConfigSuffix(WhatNimbSession::Desktop));

    const QJsonObject result{
        {QStringLiteral("systemRoot"), StartMenuUtils::systemRoot()},
        {QStringLiteral("menuDir"), StartMenuUtils::menuDir()},
        {QStringLiteral("appSearchPaths"), searchPaths},
        {QStringLiteral("appDirsToWatch"), QJsonArray::fromStringList(StartMenuUtils::appDirsToWatch())},
        {QStringLiteral("userCategoriesSearchPaths"), QJsonArray::fromStringList(StartMenuUtils::userCategoriesSearchPaths())},
        {QStringLiteral("themeSettingsFile"), themeFile},
        {QStringLiteral("logFile"), QString(QDir::homePath() + QStringLiteral("/.cache/nimb-start-menu/nimb-start-menu.log"))},
        {QStringLiteral("locale"), QString::fromStdString(NimbDesktopEntry::locale())},
    };
    if (invocation.json) {
        Cli::printJson(result);
        return 0;
    }
    Cli::print(QStringLiteral("system root:      %1").arg(StartMenuUtils::systemRoot()));
    Cli::print(QStringLiteral("menu tree:        %1").arg(StartMenuUtils::menuDir()));
    Cli::print(QStringLiteral("theme settings:   %1").arg(themeFile));
    Cli::print(QStringLiteral("debug log:        %1").arg(result.value(QStringLiteral("logFile")).toString()));
    Cli::print(QStringLiteral("locale:           %1").arg(result.value(QStringLiteral("locale")).toString()));
    Cli::print(QStringLiteral("application folders (accepted desktop files):"));
    for (const auto &value : searchPaths) {
        const QJsonObject folder = value.toObject();
        Cli::print(QStringLiteral("  %1 (%2)").arg(folder.value(QStringLiteral("path")).toString()).arg(folder.value(QStringLiteral("accepted")).toInt()));
    }
    Cli::print(QStringLiteral("administrator categories:"));
    for (const QString &path : StartMenuUtils::userCategoriesSearchPaths()) {
        Cli::print(QStringLiteral("  ") + path);
    }
    Cli::print(QStringLiteral("watched for changes:"));
    for (const QString &path : StartMenuUtils::appDirsToWatch()) {
        Cli::print(QStringLiteral("  ") + path);
    }
    Cli::print(QStringLiteral("read the application folders in %1 ms").arg(readMs));
    return 0;
}

int entry(const Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Desktop files to read."), QStringLiteral("FILE..."));
    if (!Cli::parse(parser, invocation, QStringLiteral("Reads desktop files as the library does and prints what it sees."))) {
        return Cli::UsageError;
    }
    if (parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "entry: no file given\n");
        return Cli::UsageError;
    }

    const auto list = [](const std::vector<std::string> &values) {
        return QJsonArray::fromStringList(StartMenuUtils::stdStringVectorToQStringList(values));
    };
    int status = 0;
    for (const QString &file : parser.positionalArguments()) {
        const NimbDesktopEntry entry(file.toStdString());
        std::string why;
        const bool accepted = entry.isLoaded() && entry.isValid(&why) && entry.isSuitable(&why) && entry.isDisplayable(&why) && entry.isForNimb(&why);
        if (!entry.isLoaded()) {
            why = "not a readable desktop entry";
        }
        const QJsonObject result{
            {QStringLiteral("file"), file},
            {QStringLiteral("accepted"), accepted},
            {QStringLiteral("rejectedBecause"), QString::fromStdString(why)},
            {QStringLiteral("type"), QString::fromStdString(entry.type())},
            {QStringLiteral("name"), QString::fromStdString(entry.name())},
            {QStringLiteral("localName"), QString::fromStdString(entry.localName())},
            {QStringLiteral("localGenericName"), QString::fromStdString(entry.localGenericName())},
            {QStringLiteral("localComment"), QString::fromStdString(entry.localComment())},
            {QStringLiteral("exec"), QString::fromStdString(entry.exec())},
            {QStringLiteral("icon"), QString::fromStdString(entry.localIconOrFallback())},
            {QStringLiteral("categories"), list(entry.categories())},
            {QStringLiteral("localKeywords"), list(entry.localKeywords())},
        };
        status = accepted ? status : 1;
        if (invocation.json) {
            Cli::printJson(result);
            continue;
        }
        Cli::print(file);
        for (auto it = result.constBegin(); it != result.constEnd(); ++it) {
            const QString value = it->isArray() ? it->toVariant().toStringList().join(QLatin1Char(';')) : it->toVariant().toString();
            if (it.key() != QLatin1String("file") && !value.isEmpty()) {
                Cli::print(QStringLiteral("  %1: %2").arg(it.key(), value));
            }
        }
    }
    return status;
}
}
