/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_MENUPREFERENCES_H
#define NIMBSTARTMENU_MENUPREFERENCES_H

#include <QStringList>
#include <QVariant>
#include <QVector>

// The preferences MenuSettings publishes, for the tests of the class and of its QML side.
namespace
{
const QStringList defaultTabs = {"apps", "favorites", "computer", "recent", "params", "leave"};

struct Preference {
    const char *property;
    QVariant defaultValue;
    QVariant otherValue;
};

// Every property in meta-object order, with its default and a value that differs from it.
const QVector<Preference> &preferences()
{
    static const QVector<Preference> table = {
        {"enableFavorites", true, false},
        {"enableComputer", true, false},
        {"enableRecent", true, false},
        {"defaultTab", QStringLiteral("apps"), QStringLiteral("recent MenuSettingsTest")},
        {"tabs", defaultTabs, QStringList{"gridapps", "leave"}},
        {"showClassicMenu", false, true},
        {"showLastLoginInfo", false, true},
        {"appsMode", QStringLiteral("tree"), QStringLiteral("grid MenuSettingsTest")},
        {"enableSortCategoriesAlphabatically", false, true},
        {"enableSortAppsAlphabatically", false, true},
        {"askConfirmation", false, true},
        {"enableAnimation", true, false},
        {"showTooltips", true, false},
        {"autoRefresh", false, true},
        {"enableDebug", false, true},
    };
    return table;
}
}

#endif
