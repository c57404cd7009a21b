/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CONFIGVALUES_P_H
#define NIMBSTARTMENU_CONFIGVALUES_P_H

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// Reading preferences from the configuration file that MenuSettings and SearchSettings share. A
// value of the wrong kind is someone else's data, not a preference: it is skipped rather than
// converted (QVariant::toBool() would turn "yes" or a list into true).
namespace ConfigValues
{
/// QSettings gives a bool back as the text it wrote.
inline std::optional<bool> boolFrom(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool) {
        return value.toBool();
    }
    if (value.userType() != QMetaType::QString) {
        return std::nullopt;
    }
    const QString text = value.toString().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1")) {
        return true;
    }
    if (text == QLatin1String("false") || text == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

/// A list would turn into an empty string.
inline std::optional<QString> stringFrom(const QVariant &value)
{
    if (value.userType() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

/// QSettings writes a list of one as a plain string.
inline std::optional<QStringList> stringListFrom(const QVariant &value)
{
    if (value.userType() != QMetaType::QStringList && value.userType() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toStringList();
}

/// Read at the width it is written with: through int, a number beyond 2^31 - 1 came back as 0.
inline std::optional<qint64> int64From(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool || value.userType() == QMetaType::QStringList) {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

/// Whether the whole file could be read: QSettings parses a section only when it is first read, and
/// allKeys() makes it report every fault at once.
inline bool isReadable(QSettings &settings)
{
    settings.allKeys();
    return settings.status() == QSettings::NoError;
}
}

#endif
