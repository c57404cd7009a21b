/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "updatemode.h"

// PLACEHOLDER until the update state lands.
UpdateMode::UpdateMode(QObject *parent)
    : QObject(parent)
{
}

UpdateMode::~UpdateMode() = default;

bool UpdateMode::isUpdateActive() const
{
    return m_isUpdateActive;
}

bool UpdateMode::isUpdateAvailable() const
{
    return m_isUpdateAvailable;
}

QString UpdateMode::icon() const
{
    return QString();
}
