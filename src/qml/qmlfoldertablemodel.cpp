/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "qmlfoldertablemodel.h"

#include <NimbStartMenu/balooctl.h>

#include <QUrl>

QmlFolderTableModel::QmlFolderTableModel(QObject *parent)
    : FolderTableModel(parent)
{
    const auto rowsChanged = [this] {
        Q_EMIT countChanged();
        Q_EMIT needSaveChanged();
    };
    connect(this, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(this, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(this, &QAbstractItemModel::modelReset, this, rowsChanged);
    connect(this, &QAbstractItemModel::dataChanged, this, &QmlFolderTableModel::needSaveChanged);
    reload();
}

QVariant QmlFolderTableModel::data(const QModelIndex &index, int role) const
{
    if (index.column() != 0 || role < PathRole) {
        return FolderTableModel::data(index, role);
    }
    const QString path = folderAtIndex(index);
    if (path.isEmpty()) {
        return QVariant();
    }
    switch (role) {
    case PathRole:
        return path;
    case StatusRole:
        return FolderTableModel::data(index.siblingAtColumn(1), Qt::DisplayRole);
    case IncludedRole:
        return isIncluded(path);
    case ImmutableRole:
        return isImmutable(path);
    }
    return QVariant();
}

QHash<int, QByteArray> QmlFolderTableModel::roleNames() const
{
    return {
        {Qt::DisplayRole, "display"},
        {Qt::DecorationRole, "decoration"},
        {Qt::ToolTipRole, "toolTip"},
        {PathRole, "path"},
        {StatusRole, "status"},
        {IncludedRole, "included"},
        {ImmutableRole, "immutable"},
    };
}

int QmlFolderTableModel::count() const
{
    return rowCount();
}

void QmlFolderTableModel::reload()
{
    m_settings.load();
    load(m_settings.folders(), m_settings.excludedFolders());
}

void QmlFolderTableModel::addFolder(const QString &folder, bool included)
{
    const QUrl url(folder);
    add(url.isLocalFile() ? url.toLocalFile() : folder, included);
}

void QmlFolderTableModel::removeFolder(const QString &path)
{
    remove(path);
}

void QmlFolderTableModel::setIncluded(const QString &path, bool included)
{
    if (included) {
        include(path);
    } else {
        exclude(path);
    }
}

QString QmlFolderTableModel::pathAt(int row) const
{
    return folderAtIndex(index(row, 0));
}

void QmlFolderTableModel::save()
{
    FolderTableModel::save(m_settings);
    m_settings.save();
    BalooCtl().updateConfig();
    Q_EMIT needSaveChanged();
}
