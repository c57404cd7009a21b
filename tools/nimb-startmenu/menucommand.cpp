/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// "menu update | reset | show": the on-disk menu tree.

#include "cli.h"
#include "menutreereader_p.h"

#include <NimbStartMenu/entry.h>
#include <NimbStartMenu/menu.h>
#include <NimbStartMenu/startmenuutils.h>

#include <QDir>
#include <QElapsedTimer>

namespace
{
// The tree as the start menu shows it: one node per category folder, its applications below it,
// each level in the menu's order.
Entry readTree()
{
    const QDir root(StartMenuUtils::menuDir());
    QList<Entry> categories = MenuTreeReader::categories(root.path());
    for (Entry &category : categories) {
        category.sortChildren();
    }

    Entry tree;
    tree.setIsCategory(true);
    tree.setPath(root.path());
    tree.setChildren(categories);
    tree.sortChildren();
    return tree;
}

QJsonObject toJson(const Entry &entry)
{
    QJsonObject object{
        {QStringLiteral("id"), entry.id()},
        {QStringLiteral("name"), entry.name()},
        {QStringLiteral("icon"), entry.icon()},
        {QStringLiteral("path"), entry.path()},
        {QStringLiteral("priority"), int(entry.priority())},
    };
    if (!entry.tooltip().isEmpty()) {
        object.insert(QStringLiteral("comment"), entry.tooltip());
    }
    if (entry.isCategory()) {
        QJsonArray children;
        for (const Entry &child : entry.children()) {
            children.append(toJson(child));
        }
        object.insert(QStringLiteral("applications"), children);
    }
    return object;
}

int update(Cli::Invocation &invocation, bool reset)
{
    Cli::prepareHome();
    const QSet<QString> before = reset ? QSet<QString>() : Cli::menuItems();
    QElapsedTimer timer;
    timer.start();
    if (reset) {
        Menu::reset();
    } else {
        Menu::update();
    }
    const qint64 elapsed = timer.elapsed();
    if (!Menu::exists()) {
        return Cli::failure(Cli::menuTreeProblem());
    }
    const QSet<QString> after = Cli::menuItems();
    const QJsonArray added = Cli::addedItems(before, after);

    if (invocation.json) {
        Cli::printJson(QJsonObject{
            {QStringLiteral("menuDir"), StartMenuUtils::menuDir()},
            {QStringLiteral("added"), added},
            {QStringLiteral("items"), after.size()},
            {QStringLiteral("milliseconds"), elapsed},
        });
        return Cli::Success;
    }
    for (const QString &line : Cli::describeAdded(added)) {
        Cli::print(QStringLiteral("added ") + line);
    }
    Cli::print(QStringLiteral("%1 added, %2 in %3, in %4 ms")
                   .arg(added.size())
                   .arg(Cli::count(after.size(), QStringLiteral("item"), QStringLiteral("items")), Cli::escaped(StartMenuUtils::menuDir()))
                   .arg(elapsed));
    return Cli::Success;
}

int show(Cli::Invocation &invocation)
{
    if (!Menu::exists()) {
        return Cli::failure(QStringLiteral("there is no menu tree in %1 yet; run \"nimb-startmenu menu update\"").arg(Cli::escaped(StartMenuUtils::menuDir())));
    }
    const Entry tree = readTree();
    if (invocation.json) {
        QJsonArray categories;
        for (const Entry &category : tree.children()) {
            categories.append(toJson(category));
        }
        Cli::printJson(QJsonObject{{QStringLiteral("menuDir"), tree.path()}, {QStringLiteral("categories"), categories}});
        return Cli::Success;
    }
    for (const Entry &category : tree.children()) {
        Cli::print(Cli::escaped(QStringLiteral("%1 [%2]").arg(category.name(), category.id())));
        for (const Entry &application : category.children()) {
            Cli::print(QStringLiteral("    ") + Cli::escaped(QStringLiteral("%1  (%2)").arg(application.name(), application.id())));
        }
    }
    return Cli::Success;
}
}

namespace Commands
{
int menu(Cli::Invocation &invocation)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("action"),
                                 QStringLiteral("update: bring the tree up to date; reset: build it anew; show: print it."),
                                 QStringLiteral("update|reset|show"));
    if (const auto exit = Cli::parse(parser,
                                     invocation,
                                     QStringLiteral("The on-disk menu tree of applications. show only reads it.\n"
                                                    "Exit status 1: the tree cannot be built (the message says why), or show finds none."))) {
        return *exit;
    }
    const QStringList arguments = Cli::positionalArguments(parser);
    if (arguments.size() != 1) {
        return Cli::usageError(parser, arguments.isEmpty() ? QStringLiteral("menu needs an action") : QStringLiteral("menu takes one action"));
    }
    const QString &action = arguments.first();
    if (action == QLatin1String("update") || action == QLatin1String("reset")) {
        return update(invocation, action == QLatin1String("reset"));
    }
    if (action == QLatin1String("show")) {
        return show(invocation);
    }
    return Cli::usageError(parser, QStringLiteral("unknown menu action \"%1\"").arg(action));
}
}
