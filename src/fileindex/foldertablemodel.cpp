/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "foldertablemodel.h"
#include "baloosettings.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace
{
enum Column {
    NameColumn = 0,
    StatusColumn = 1,
    ColumnCount = 3,
};

const QString rootPath = QStringLiteral("/");

QSet<QString> toSet(const QStringList &list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

QStringList sortedList(const QSet<QString> &set)
{
    QStringList list(set.cbegin(), set.cend());
    list.sort();
    return list;
}
}

FolderTableModel::FolderTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_homePath(normalizeTrailingSlashes(QDir::homePath()))
    , m_homeOnly({m_homePath})
{
}

FolderTableModel::~FolderTableModel() = default;

int FolderTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_folders.size();
}

int FolderTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FolderTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_folders.size()) {
        return {};
    }
    const QString &path = m_folders.at(index.row());

    if (index.column() == NameColumn) {
        switch (role) {
        case Qt::DisplayRole:
            return name(path);
        case Qt::DecorationRole:
            return icon(path);
        case Qt::ToolTipRole:
            return makeTooltip(path);
        case Qt::WhatsThisRole:
            return path;
        }
    } else if (index.column() == StatusColumn && role == Qt::DisplayRole) {
        return m_included.contains(path) ? tr("Indexed") : tr("Not indexed");
    }
    return {};
}

Qt::ItemFlags FolderTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags itemFlags = QAbstractItemModel::flags(index);
    if (isImmutable(folderAtIndex(index))) {
        itemFlags &= ~Qt::ItemIsEnabled;
    }
    return itemFlags;
}

QString FolderTableModel::folderAtIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_folders.size()) {
        return {};
    }
    return m_folders.at(index.row());
}

QString FolderTableModel::name(const QString &path) const
{
    QString displayName = path;
    if (displayName.size() > 1) {
        displayName.chop(1);
    }
    if (displayName.startsWith(m_homePath)) {
        displayName.replace(0, m_homePath.size(), QStringLiteral("~/"));
    }
    return displayName;
}

QString FolderTableModel::icon(const QString &path) const
{
    if (path == m_homePath) {
        return QStringLiteral("user-home");
    }
    if (path == rootPath) {
        return QStringLiteral("drive-harddisk");
    }
    return QStringLiteral("folder");
}

QString FolderTableModel::makeTooltip(const QString &path) const
{
    if (isImmutable(path)) {
        return tr("At least one folder must be included to be able to exclude home folder");
    }
    return makeHomePretty(path);
}

QString FolderTableModel::makeHomePretty(const QString &path)
{
    const QString home = QDir::homePath();
    // Only a whole folder name counts: "/home/user2" is not below "/home/user".
    const bool belowHome = path.startsWith(home) && (path.size() == home.size() || path.at(home.size()) == QLatin1Char('/'));
    if (!belowHome) {
        return path;
    }
    return QLatin1Char('~') + path.midRef(home.size());
}

QString FolderTableModel::normalizeTrailingSlashes(QString &&path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path.append(QLatin1Char('/'));
    }
    return std::move(path);
}

QStringList FolderTableModel::normalizeTrailingSlashes(QStringList &&paths)
{
    for (QString &path : paths) {
        path = normalizeTrailingSlashes(std::move(path));
    }
    return std::move(paths);
}

bool FolderTableModel::isIncluded(const QString &path) const
{
    return m_included.contains(path);
}

bool FolderTableModel::isImmutable(const QString &path) const
{
    return path == m_homePath && m_included == m_homeOnly;
}

void FolderTableModel::include(const QString &path)
{
    const int row = m_folders.indexOf(path);
    if (row < 0) {
        return;
    }
    m_included.insert(path);
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void FolderTableModel::exclude(const QString &path)
{
    const int row = m_folders.indexOf(path);
    if (row >= 0) {
        m_included.remove(path);
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
    restoreHome();
}

void FolderTableModel::add(const QString &path, bool included)
{
    addFolder(path, included);
    restoreHome();
}

void FolderTableModel::addFolder(const QString &path, bool included)
{
    QString folder = normalizeTrailingSlashes(QString(path));
    // Home as the only included folder stays as it is, whichever way it is asked to change.
    if (folder == m_homePath && m_included == m_homeOnly) {
        return;
    }

    const int row = m_folders.indexOf(folder);
    if (row < 0) {
        const int newRow = m_folders.size();
        beginInsertRows(QModelIndex(), newRow, newRow);
        if (included) {
            m_included.insert(folder);
        }
        m_folders.append(std::move(folder));
        endInsertRows();
        return;
    }

    if (included) {
        m_included.insert(folder);
    } else {
        m_included.remove(folder);
    }
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void FolderTableModel::remove(const QString &path)
{
    const int row = m_folders.indexOf(path);
    if (row >= 0) {
        beginRemoveRows(QModelIndex(), row, row);
        m_folders.removeAt(row);
        m_included.remove(path);
        endRemoveRows();
    }
    restoreHome();
}

void FolderTableModel::restoreHome()
{
    if (m_included.isEmpty()) {
        addFolder(m_homePath, true);
    }
}

bool FolderTableModel::needSave() const
{
    return toSet(m_folders) != m_savedFolders || m_included != m_savedIncluded;
}

void FolderTableModel::load(const QStringList &included, const QStringList &excluded)
{
    const QStringList includedFolders = normalizeTrailingSlashes(QStringList(included));
    const QStringList excludedFolders = normalizeTrailingSlashes(QStringList(excluded));

    beginResetModel();
    m_folders = includedFolders + excludedFolders;
    m_savedFolders = toSet(m_folders);
    m_included = toSet(includedFolders);
    m_savedIncluded = m_included;
    std::sort(m_folders.begin(), m_folders.end());
    endResetModel();
}

void FolderTableModel::save(BalooSettings &settings)
{
    const QSet<QString> rows = toSet(m_folders);
    // Sorted, so that the file does not change with the order a hash happens to give.
    const QStringList included = sortedList(m_included);
    const QStringList excluded = sortedList(rows - m_included);

    // The same folders in another order are no change worth a signal and a rewrite.
    if (toSet(settings.folders()) != m_included && !settings.isImmutable(QStringLiteral("folders"))) {
        settings.setFolders(included);
    }
    if (toSet(settings.excludedFolders()) != rows - m_included && !settings.isImmutable(QStringLiteral("excludedFolders"))) {
        settings.setExcludedFolders(excluded);
    }

    m_savedFolders = rows;
    m_savedIncluded = m_included;
}
