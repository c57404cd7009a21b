/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "qmllistmodel.h"

QmlListModel::QmlListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

QmlListModel::~QmlListModel() = default;

QVariant QmlListModel::get(int row, const QString &role) const
{
    return data(index(row, 0), roleNames().key(role.toUtf8(), -1));
}

void QmlListModel::resetRows(const std::function<void()> &replace)
{
    const int oldCount = rowCount();
    beginResetModel();
    replace();
    endResetModel();
    if (oldCount != rowCount()) {
        Q_EMIT countChanged();
    }
}
