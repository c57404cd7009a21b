/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "applicationsmodel.h"

#include "launcher.h"
#include "menutree.h"

ApplicationsModel::ApplicationsModel(QObject *parent)
    : MenuLevelModel(parent)
{
}

QString ApplicationsModel::mode() const
{
    return m_mode;
}

void ApplicationsModel::setMode(const QString &mode)
{
    if (m_mode == mode) {
        return;
    }
    m_mode = mode;
    Q_EMIT modeChanged();
    refresh();
}

QString ApplicationsModel::categoryId() const
{
    return m_categoryId;
}

void ApplicationsModel::setCategoryId(const QString &categoryId)
{
    if (m_categoryId == categoryId) {
        return;
    }
    m_categoryId = categoryId;
    Q_EMIT categoryIdChanged();
    refresh();
}

bool ApplicationsModel::run(int row)
{
    const QString desktopFile = get(row, QStringLiteral("desktopFile")).toString();
    if (desktopFile.isEmpty()) {
        return false;
    }
    const QString name = get(row, QStringLiteral("display")).toString();
    StartMenuQml::launch(desktopFile, this, [this, name](const QString &error) {
        Q_EMIT launchFailed(name, error);
    });
    return true;
}

bool ApplicationsModel::isTree() const
{
    return m_mode == QLatin1String("tree");
}

void ApplicationsModel::refresh()
{
    QList<Entry> applications;
    for (const Entry &category : MenuTree::instance()->categories()) {
        if (!isTree() || category.id() == m_categoryId) {
            applications += category.children();
        }
    }
    show(applications);
}

QString ApplicationsModel::level() const
{
    return isTree() ? QStringLiteral("applications/") + m_categoryId : QStringLiteral("applications");
}

bool ApplicationsModel::alphabetical() const
{
    return settings() && settings()->enableSortAppsAlphabetically();
}
