/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "fileindexobjects.h"

#include <QDir>
#include <QUrl>

QmlSearchSettings::QmlSearchSettings(QObject *parent)
    : SearchSettings(parent)
    , m_file(QDir::homePath() + QStringLiteral("/.config/kolvatek/nimb-start-menu.conf"))
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &QmlSearchSettings::watch);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &QmlSearchSettings::watch);
    m_watcher.addPath(QFileInfo(m_file).path());
    m_watcher.addPath(m_file);
}

template<typename T>
void QmlSearchSettings::assign(T (SearchSettings::*get)() const, void (SearchSettings::*set)(T), T value)
{
    if ((this->*get)() != value) {
        (this->*set)(value);
        Q_EMIT changed();
    }
}

void QmlSearchSettings::setIndexApplications(bool index)
{
    assign(&SearchSettings::indexApplications, &SearchSettings::setIndexApplications, index);
}

void QmlSearchSettings::setIndexSettings(bool index)
{
    assign(&SearchSettings::indexSettings, &SearchSettings::setIndexSettings, index);
}

void QmlSearchSettings::setIndexDocuments(bool index)
{
    assign(&SearchSettings::indexDocuments, &SearchSettings::setIndexDocuments, index);
}

void QmlSearchSettings::setIndexMedia(bool index)
{
    assign(&SearchSettings::indexMedia, &SearchSettings::setIndexMedia, index);
}

void QmlSearchSettings::setIndexArchives(bool index)
{
    assign(&SearchSettings::indexArchives, &SearchSettings::setIndexArchives, index);
}

void QmlSearchSettings::setIndexHelp(bool index)
{
    assign(&SearchSettings::indexHelp, &SearchSettings::setIndexHelp, index);
}

void QmlSearchSettings::setLimitIndexSize(bool limit)
{
    assign(&SearchSettings::limitIndexSize, &SearchSettings::setLimitIndexSize, limit);
}

void QmlSearchSettings::setIndexSizeLimit(qint64 limit)
{
    assign(&SearchSettings::indexSizeLimit, &SearchSettings::setIndexSizeLimit, limit);
}

void QmlSearchSettings::setIdleModeIndexing(bool idle)
{
    assign(&SearchSettings::idleModeIndexing, &SearchSettings::setIdleModeIndexing, idle);
}

bool QmlSearchSettings::autoRefresh() const
{
    return m_autoRefresh;
}

void QmlSearchSettings::setAutoRefresh(bool autoRefresh)
{
    if (m_autoRefresh == autoRefresh) {
        return;
    }
    m_autoRefresh = autoRefresh;
    Q_EMIT autoRefreshChanged();
    watch();
}

void QmlSearchSettings::load()
{
    SearchSettings::load();
    // One signal for all nine: the setters of the base class do not tell which value changed.
    Q_EMIT changed();
}

void QmlSearchSettings::save()
{
    SearchSettings::save();
}

void QmlSearchSettings::watch()
{
    if (m_autoRefresh) {
        load();
    }
    // A file replaced by its writer, or created, is watched from now on.
    m_watcher.addPath(m_file);
}

QmlBalooCtl::QmlBalooCtl(QObject *parent)
    : BalooCtl(parent)
{
}

void QmlBalooCtl::enable()
{
    BalooCtl::enable();
}

void QmlBalooCtl::disable()
{
    BalooCtl::disable();
}

void QmlBalooCtl::suspend()
{
    BalooCtl::suspend();
}

void QmlBalooCtl::resume()
{
    BalooCtl::resume();
}

void QmlBalooCtl::purge()
{
    BalooCtl::purge();
}

void QmlBalooCtl::updateConfig()
{
    BalooCtl::updateConfig();
}

QmlBalooMonitor::QmlBalooMonitor(QObject *parent)
    : BalooMonitor(parent)
{
    for (auto signal : {&BalooMonitor::newFileIndexed,
                        &BalooMonitor::balooStateChanged,
                        &BalooMonitor::totalFilesChanged,
                        &BalooMonitor::remainingTimeChanged,
                        &BalooMonitor::indexerStateChanged}) {
        connect(this, signal, this, &QmlBalooMonitor::changed);
    }
}

void QmlBalooMonitor::toggleSuspendState()
{
    BalooMonitor::toggleSuspendState();
}

void QmlBalooMonitor::startBaloo()
{
    BalooMonitor::startBaloo();
}

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
