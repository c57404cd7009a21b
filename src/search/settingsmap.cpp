/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "settingsmap.h"
#include "logging.h"
#include "startmenuutils.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace
{
const QString tablePath = QStringLiteral("/usr/share/nimb-start-menu/settings-apps.csv");

enum Column {
    NameColumn,
    NumberColumn,
    GroupColumn,
    ParentColumn,
    ClassicSettingsColumn,
    ColumnCount,
};

const QString noGroup = QStringLiteral("none");
const QString rootParent = QStringLiteral("root");
const QString falseText = QStringLiteral("false");

SettingsMapRecord parseRecord(const QStringList &fields)
{
    SettingsMapRecord record;
    record.name = fields.at(NameColumn).trimmed().toLower();
    // toUInt() already gives 0 for text it cannot read, which is what a bad number means here.
    record.number = fields.at(NumberColumn).trimmed().toUInt(nullptr, 10);

    const QString group = fields.at(GroupColumn).trimmed();
    record.group = group == noGroup ? QString() : group;

    const QString parent = fields.at(ParentColumn).trimmed();
    record.parent = parent == rootParent ? QString() : parent;

    record.classicSettings = fields.at(ClassicSettingsColumn).trimmed().toLower() != falseText;
    return record;
}
}

QMap<QString, SettingsMapRecord> SettingsMap::loadSettingsMap()
{
    QMap<QString, SettingsMapRecord> table;

    QFile file(StartMenuUtils::systemPath(tablePath));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return table;
    }

    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QStringList fields = stream.readLine().split(QLatin1Char(','));
        if (fields.size() < ColumnCount) {
            qCDebug(LOG_GENERAL) << "settings-apps.csv contains too short record" << fields;
            continue;
        }
        const SettingsMapRecord record = parseRecord(fields);
        table.insert(record.name, record);
    }
    return table;
}
