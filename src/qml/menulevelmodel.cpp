/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "menulevelmodel.h"

#include "menutree.h"

#include <QTimer>

MenuLevelModel::MenuLevelModel(QObject *parent)
    : QmlListModel(parent)
{
    connect(MenuTree::instance(), &MenuTree::changed, this, &MenuLevelModel::refresh);
    // Subclasses are complete only after this constructor: the first reading waits for the loop.
    QTimer::singleShot(0, this, &MenuLevelModel::refresh);
}

MenuLevelModel::~MenuLevelModel() = default;

int MenuLevelModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_entries.size();
}

QVariant MenuLevelModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const Entry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.name();
    case Qt::DecorationRole:
        return entry.icon();
    case DescriptionRole:
        return entry.tooltip();
    case DesktopFileRole:
        return entry.path();
    case CategoryIdRole:
        return entry.isCategory() ? entry.id() : entry.categoryId();
    }
    return QVariant();
}

QHash<int, QByteArray> MenuLevelModel::roleNames() const
{
    return {
        {Qt::DisplayRole, "display"},
        {Qt::DecorationRole, "decoration"},
        {DescriptionRole, "description"},
        {DesktopFileRole, "desktopFile"},
        {CategoryIdRole, "categoryId"},
    };
}

MenuSettings *MenuLevelModel::settings() const
{
    return m_settings;
}

void MenuLevelModel::setSettings(MenuSettings *settings)
{
    if (m_settings == settings) {
        return;
    }
    if (m_settings) {
        disconnect(m_settings, nullptr, this, nullptr);
    }
    m_settings = settings;
    if (settings) {
        connect(settings, &MenuSettings::enableSortCategoriesAlphabeticallyChanged, this, &MenuLevelModel::refresh);
        connect(settings, &MenuSettings::enableSortAppsAlphabeticallyChanged, this, &MenuLevelModel::refresh);
    }
    Q_EMIT settingsChanged();
    refresh();
}

bool MenuLevelModel::moveRow(int from, int to)
{
    const int rows = m_entries.size();
    if (level().isEmpty() || from < 0 || from >= rows || to < 0 || to >= rows) {
        return false;
    }
    if (from == to) {
        return true;
    }
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_entries.move(from, to);
    endMoveRows();
    Entry level;
    level.setChildren(m_entries);
    level.updateSortOrder();
    MenuTree::saveOrder(this->level(), level.sortOrder());
    return true;
}

void MenuLevelModel::show(const QList<Entry> &entries)
{
    Entry level;
    level.setChildren(entries);
    if (!alphabetical() && !this->level().isEmpty()) {
        level.setSortOrder(MenuTree::savedOrder(this->level()));
    }
    level.sortChildren();

    resetRows([this, &level] {
        m_entries = level.children();
    });
}
