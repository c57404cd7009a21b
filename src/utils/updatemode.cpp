/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "updatemode.h"
#include "startmenuutils.h"

#include <QFileSystemWatcher>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace
{
const QString activatedIcon = QStringLiteral("system-shutdown-updates-activated-symbolic");
const QString availableIcon = QStringLiteral("system-shutdown-updates-available-symbolic");
const QString idleIcon = QStringLiteral("start-menu-shutdown-symbolic");

// The update service's files and every folder on the way to them: a folder that is still missing is
// noticed through the change of its parent.
QStringList watchedPaths()
{
    const QString paths[] = {
        QStringLiteral("/"),
        QStringLiteral("/system-update"),
        QStringLiteral("/var/cache"),
        QStringLiteral("/var/cache/talvo-update-service"),
        QStringLiteral("/var/cache/talvo-update-service/upgradable"),
        QStringLiteral("/var/cache/talvo-update-service/status"),
        QStringLiteral("/var/cache/talvo-upgrade"),
        QStringLiteral("/var/cache/talvo-upgrade/upgrade.report.yaml"),
    };
    QStringList rooted;
    for (const QString &path : paths) {
        rooted.append(StartMenuUtils::systemPath(path));
    }
    return rooted;
}
}

UpdateMode *UpdateMode::instance()
{
    static UpdateMode mode;
    return &mode;
}

UpdateMode::UpdateMode(QObject *parent)
    : QObject(parent)
{
    connect(this, &UpdateMode::isUpdateActiveChanged, this, &UpdateMode::iconChanged);
    connect(this, &UpdateMode::isUpdateAvailableChanged, this, &UpdateMode::iconChanged);

    auto *watcher = new QFileSystemWatcher(this);
    const QStringList paths = watchedPaths();

    const auto refresh = [this, watcher, paths]() {
        setIsUpdateActive(StartMenuUtils::isUpdateActive());
        setIsUpdateAvailable(StartMenuUtils::isUpdateAvailable());
        // The watcher forgets a file that was replaced, and never took the paths missing so far.
        watcher->addPaths(paths);
    };
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, refresh);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, refresh);

    watcher->addPaths(paths);
    refresh();
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
    // The first that holds wins: activation shows even when an update is also set as available.
    const std::pair<bool, QString> icons[] = {
        {m_isUpdateActive, activatedIcon},
        {m_isUpdateAvailable, availableIcon},
    };
    const auto shown = std::find_if(std::begin(icons), std::end(icons), [](const std::pair<bool, QString> &entry) {
        return entry.first;
    });
    return shown != std::end(icons) ? shown->second : idleIcon;
}

void UpdateMode::setIsUpdateActive(bool active)
{
    if (m_isUpdateActive == active) {
        return;
    }
    m_isUpdateActive = active;
    Q_EMIT isUpdateActiveChanged();
}

void UpdateMode::setIsUpdateAvailable(bool available)
{
    if (m_isUpdateAvailable == available) {
        return;
    }
    m_isUpdateAvailable = available;
    Q_EMIT isUpdateAvailableChanged();
}
