/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "nimbsettings.h"

#include <QSettings>

NimbSettings::NimbSettings(const QString &path)
    : m_path(path)
    , m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

NimbSettings::~NimbSettings()
{
    sync(true);
}

QString NimbSettings::path() const
{
    return m_path;
}

void NimbSettings::sync(bool writeBack)
{
    if (writeBack) {
        for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
            m_settings->setValue(it.key(), it.value());
        }
    }
    m_pending.clear();
    // With nothing pending, QSettings::sync() only rereads the file.
    m_settings->sync();
}

QVariant NimbSettings::value(const QString &key, const QVariant &defaultValue) const
{
    const auto pending = m_pending.constFind(key);
    if (pending != m_pending.cend()) {
        return *pending;
    }
    return m_settings->value(key, defaultValue);
}

bool NimbSettings::contains(const QString &key) const
{
    return m_pending.contains(key) || m_settings->contains(key);
}

void NimbSettings::setValue(const QString &key, const QVariant &value)
{
    m_pending.insert(key, value);
}
