/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The inspection commands: where the library looks, and how the menu takes a desktop file.

#include "cli.h"

#include <NimbStartMenu/nimbdesktopentry.h>
#include <NimbStartMenu/settingsmap.h>
#include <NimbStartMenu/startmenuutils.h>

// The one intake of desktop files of the menu and the index: entry reports its decisions, never a
// copy of its rules. Private to the library; the tool is built with it.
#include "applicationsource_p.h"
#include "configfile_p.h"
#include "treeformat_p.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <map>

namespace
{
using Kind = ApplicationSource::Kind;

struct KindName {
    const char *code; // in JSON
    const char *text;
};

const std::map<Kind, KindName> &kindNames()
{
    static const std::map<Kind, KindName> names{
        {Kind::Application, {"application", "application"}},
        {Kind::ClassicSettings, {"classic-settings", "classic settings item"}},
        {Kind::SettingsApplication, {"settings-application", "settings application"}},
        {Kind::SettingsLauncher, {"settings-launcher", "settings launcher"}},
        {Kind::Unaccepted, {"unaccepted", "not accepted"}},
    };
    return names;
}

// What the menu tree holds: its items by the canonical path of the file each was copied from, and by
// their file names.
struct TreeItems {
    bool exists = false;
    QHash<QString, QString> byOrigin; // canonical origin → "category/file.desktop"
    QMultiHash<QString, QPair<QString, QString>> byFileName; // file name → ("category/file.desktop", origin)

    static TreeItems read()
    {
        TreeItems items;
        const QString menuDir = StartMenuUtils::menuDir();
        items.exists = QFileInfo(menuDir).isDir();
        QDirIterator folders(menuDir, QDir::Dirs | QDir::NoDotAndDotDot);
        while (folders.hasNext()) {
            const QString folder = folders.next();
            for (const QFileInfo &file : QDir(folder).entryInfoList({QStringLiteral("*.desktop")}, QDir::Files)) {
                const NimbDesktopEntry item(file.filePath().toStdString());
                const QString origin = QString::fromStdString(item.getUnknownValue(TreeFormat::originKey));
                const QString relative = QFileInfo(folder).fileName() + QLatin1Char('/') + file.fileName();
                items.byOrigin.insert(QFileInfo(origin).canonicalFilePath(), relative);
                items.byFileName.insert(file.fileName(), {relative, origin});
            }
        }
        return items;
    }
};

QString excludedReason(const ApplicationSource &source)
{
    return QStringLiteral("it lies in %1, the desktop's own launchers").arg(source.excludedFolder());
}

bool isBelowAny(const QString &path, const QStringList &folders)
{
    return std::any_of(folders.cbegin(), folders.cend(), [&path](const QString &folder) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        return !canonical.isEmpty() && path.startsWith(canonical + QLatin1Char('/'));
    });
}

// Where the menu puts the file, or why it leaves it out.
struct Placement {
    QString item; // "category/file.desktop", empty when the tree does not hold it
    QString note;
};

Placement placement(const QString &path, const ApplicationSource::Item &read, bool excluded, const ApplicationSource &source, const TreeItems &tree)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty() && tree.byOrigin.contains(canonical)) {
        return {tree.byOrigin.value(canonical), QString()};
    }
    if (excluded) {
        return {QString(), QStringLiteral("left out: ") + excludedReason(source)};
    }
    if (read.kind != Kind::Application) {
        return {QString(), QStringLiteral("left out: ") + read.reason};
    }
    if (!isBelowAny(canonical, StartMenuUtils::appSearchPaths())) {
        return {QString(), QStringLiteral("not read: it is in none of the application folders (\"paths\" lists them)")};
    }
    const QString fileName = QFileInfo(path).fileName();
    const auto sameName = tree.byFileName.constFind(fileName);
    if (sameName != tree.byFileName.cend()) {
        return {QString(), QStringLiteral("left out: the menu's item %1 is the file of the same name %2").arg(sameName->first, sameName->second)};
    }
    if (!tree.exists) {
        return {QString(), QStringLiteral("there is no menu tree yet; \"menu update\" builds it")};
    }
    return {QString(),
            QStringLiteral("not in the menu tree: removed from it, or not newer than its category folder at the last update "
                           "(\"menu update\" adds it once the file changes, \"menu reset\" in any case)")};
}
}

namespace Commands
{
int paths(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("Prints the files and folders the library uses, and how many applications the menu takes "
                                                    "from each application folder. Writes nothing."))) {
        return *exit;
    }

    const ApplicationSource source(ApplicationSource::Overrides::Both, SettingsMap::loadSettingsMap());
    const auto applications = [&source](const QString &folder) {
        int count = 0;
        source.forEachDesktopFile({folder}, [&](const QString &path) {
            count += source.read(path).kind == Kind::Application;
        });
        return count;
    };

    QElapsedTimer timer;
    timer.start();
    QJsonArray searchPaths;
    for (const QString &path : StartMenuUtils::appSearchPaths()) {
        searchPaths.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("applications"), applications(path)}});
    }
    const qint64 readMs = timer.elapsed();
    const QString themeFile = QString::fromStdString(GetNimbDir(NimbDir::WindowManager)) + QStringLiteral("/current.themerc")
        + QString::fromStdString(nimbSessionConfigSuffix(WhatNimbSession::Desktop));

    const QJsonObject result{
        {QStringLiteral("systemRoot"), StartMenuUtils::systemRoot()},
        {QStringLiteral("menuDir"), StartMenuUtils::menuDir()},
        {QStringLiteral("preferencesFile"), ConfigFile::preferencesPath()},
        {QStringLiteral("appSearchPaths"), searchPaths},
        {QStringLiteral("appDirsToWatch"), QJsonArray::fromStringList(StartMenuUtils::appDirsToWatch())},
        {QStringLiteral("userCategoriesSearchPaths"), QJsonArray::fromStringList(StartMenuUtils::userCategoriesSearchPaths())},
        {QStringLiteral("themeSettingsFile"), themeFile},
        {QStringLiteral("logFile"), QString(QDir::homePath() + QStringLiteral("/.cache/nimb-start-menu/nimb-start-menu.log"))},
        {QStringLiteral("locale"), QString::fromStdString(NimbDesktopEntry::locale())},
    };
    if (invocation.json) {
        Cli::printJson(result);
        return Cli::Success;
    }
    const auto line = [](const char *label, const QString &value) {
        Cli::print(QStringLiteral("%1 %2").arg(QString::fromLatin1(label), -17).arg(Cli::escaped(value)));
    };
    line("system root:", StartMenuUtils::systemRoot());
    line("menu tree:", StartMenuUtils::menuDir());
    line("preferences:", ConfigFile::preferencesPath());
    line("theme settings:", themeFile);
    line("debug log:", result.value(QStringLiteral("logFile")).toString());
    line("locale:", result.value(QStringLiteral("locale")).toString());
    Cli::print(QStringLiteral("application folders (applications the menu takes):"));
    for (const auto &value : qAsConst(searchPaths)) {
        const QJsonObject folder = value.toObject();
        Cli::print(QStringLiteral("  %1 (%2)")
                       .arg(Cli::escaped(folder.value(QStringLiteral("path")).toString()))
                       .arg(folder.value(QStringLiteral("applications")).toInt()));
    }
    Cli::print(QStringLiteral("administrator categories:"));
    for (const QString &path : StartMenuUtils::userCategoriesSearchPaths()) {
        Cli::print(QStringLiteral("  ") + Cli::escaped(path));
    }
    Cli::print(QStringLiteral("watched for changes:"));
    for (const QString &path : StartMenuUtils::appDirsToWatch()) {
        Cli::print(QStringLiteral("  ") + Cli::escaped(path));
    }
    if (invocation.verbose) {
        Cli::print(QStringLiteral("read the application folders in %1 ms").arg(readMs));
    }
    return Cli::Success;
}

int entry(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Desktop files to read."), QStringLiteral("FILE..."));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("Reads desktop files as the menu does and says, for each, where the menu puts it or why it "
                                                    "leaves it out, and what the library reads in it. Writes nothing.\n"
                                                    "Exit status 1: a file is not an application the menu takes."))) {
        return *exit;
    }
    const QStringList files = Cli::positionalArguments(parser);
    if (files.isEmpty()) {
        return Cli::usageError(parser, QStringLiteral("entry needs a desktop file"));
    }

    const auto list = [](const std::vector<std::string> &values) {
        return QJsonArray::fromStringList(StartMenuUtils::stdStringVectorToQStringList(values));
    };
    const auto text = [](const std::string &value) {
        return QString::fromStdString(value);
    };
    const ApplicationSource source(ApplicationSource::Overrides::Both, SettingsMap::loadSettingsMap());
    const TreeItems tree = TreeItems::read();
    int status = Cli::Success;
    QJsonArray results;
    for (const QString &file : files) {
        const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(file));
        const ApplicationSource::Item item = source.read(path);
        const bool excluded = source.isExcluded(path);
        const bool accepted = item.kind == Kind::Application && !excluded;
        const Placement place = placement(path, item, excluded, source, tree);
        status = accepted ? status : Cli::Failure;

        const NimbDesktopEntry &entry = item.entry;
        const QJsonObject result{
            {QStringLiteral("file"), file},
            {QStringLiteral("accepted"), accepted},
            {QStringLiteral("kind"), excluded ? QStringLiteral("excluded") : QString::fromLatin1(kindNames().at(item.kind).code)},
            {QStringLiteral("reason"), excluded ? excludedReason(source) : item.reason},
            {QStringLiteral("menuItem"), place.item.isEmpty() ? QJsonValue() : QJsonValue(place.item)},
            {QStringLiteral("menu"), place.item.isEmpty() ? place.note : QStringLiteral("in the menu as ") + place.item},
            {QStringLiteral("type"), text(entry.type())},
            {QStringLiteral("name"), text(entry.name())},
            {QStringLiteral("localName"), text(entry.localName())},
            {QStringLiteral("localGenericName"), text(entry.localGenericName())},
            {QStringLiteral("localComment"), text(entry.localComment())},
            {QStringLiteral("exec"), text(entry.exec())},
            {QStringLiteral("icon"), entry.isLoaded() ? text(entry.localIconOrFallback()) : QString()},
            {QStringLiteral("categories"), list(entry.categories())},
            {QStringLiteral("localKeywords"), list(entry.localKeywords())},
        };
        if (invocation.json) {
            results.append(result);
            continue;
        }
        Cli::print(Cli::escaped(file));
        Cli::print(QStringLiteral("  menu: ") + Cli::escaped(result.value(QStringLiteral("menu")).toString()));
        if (!excluded) {
            Cli::print(QStringLiteral("  kind: ") + QString::fromLatin1(kindNames().at(item.kind).text));
        }
        static const char *const shown[] = {"type", "name", "localName", "localGenericName", "localComment", "exec", "icon", "categories", "localKeywords"};
        for (const char *key : shown) {
            const QJsonValue value = result.value(QLatin1String(key));
            const QString line = value.isArray() ? value.toVariant().toStringList().join(QLatin1Char(';')) : value.toString();
            if (!line.isEmpty()) {
                Cli::print(QStringLiteral("  %1: %2").arg(QLatin1String(key), Cli::escaped(line)));
            }
        }
    }
    if (invocation.json) {
        Cli::printJson(results);
    }
    return status;
}
}
