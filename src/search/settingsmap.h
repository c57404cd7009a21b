/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_SETTINGSMAP_H
#define NIMBSTARTMENU_SETTINGSMAP_H

#include "nimbstartmenu_export.h"

#include <QMap>
#include <QString>

/**
 * One row of the settings-applications table.
 */
struct NIMBSTARTMENU_EXPORT SettingsMapRecord {
    /// Complete base name of the settings application's desktop file, lower-cased; the table's key.
    QString name;
    quint32 number = 0;
    /// Empty for "none".
    QString group;
    /// Empty for "root".
    QString parent;
    /// Whether the application is listed among the classic settings items.
    bool classicSettings = false;
};

/**
 * @class SettingsMap settingsmap.h <NimbStartMenu/settingsmap.h>
 *
 * The table of the system's settings applications, "/usr/share/nimb-start-menu/settings-apps.csv"
 * below the system root: one row per line of at least five comma-separated fields (name, number,
 * group, parent, classic-settings flag), each trimmed; no header, no quoting, no comments.
 */
class NIMBSTARTMENU_EXPORT SettingsMap
{
public:
    /**
     * Reads the table afresh. Shorter lines are skipped with a debug message of LOG_GENERAL(); a
     * later row replaces an earlier one with the same key.
     *
     * @return the rows by key; empty when the file is missing or unreadable
     */
    static QMap<QString, SettingsMapRecord> loadSettingsMap();
};

#endif
