/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_NIMBSETTINGS_H
#define NIMBSTARTMENU_NIMBSETTINGS_H

#include "nimbstartmenu_export.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

/**
 * @class NimbSettings nimbsettings.h <NimbStartMenu/nimbsettings.h>
 *
 * An INI-style settings file of the desktop environment, as QSettings reads it in its INI format:
 * keys outside any group are top-level keys, "Group/key" reads a key of a group.
 *
 * A missing or unreadable file reads as empty. Nothing is written unless setValue() was called and
 * sync(true) or the destructor writes it back; writes replace the file atomically.
 */
class NIMBSTARTMENU_EXPORT NimbSettings
{
public:
    explicit NimbSettings(const QString &path);
    ~NimbSettings();

    NimbSettings(const NimbSettings &) = delete;
    NimbSettings &operator=(const NimbSettings &) = delete;

    QString path() const;

    /**
     * Brings the object in line with the file.
     *
     * @param writeBack true writes the values set with setValue() first; false drops them and
     *                  reads the file afresh
     */
    void sync(bool writeBack);

    /**
     * @return the stored value of @p key, or @p defaultValue when the key is absent
     */
    QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const;

    bool contains(const QString &key) const;

    /// Sets @p key to @p value; written by sync(true) or when the object is destroyed.
    void setValue(const QString &key, const QVariant &value);

private:
    QString m_path;
    std::unique_ptr<QSettings> m_settings;
    // Held back until sync(true): QSettings alone cannot forget a value it was given.
    QVariantMap m_pending;
};

#endif
