/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_FILEINDEXOBJECTS_H
#define NIMBSTARTMENU_QML_FILEINDEXOBJECTS_H

// The file-search classes of the library reach their callers through plain member functions; these
// subclasses publish the same operations as properties, signals and invokable methods for QML.

#include <NimbStartMenu/balooctl.h>
#include <NimbStartMenu/baloomonitor.h>
#include <NimbStartMenu/baloosettings.h>
#include <NimbStartMenu/foldertablemodel.h>
#include <NimbStartMenu/searchsettings.h>

#include <QFileSystemWatcher>

/**
 * SearchSettings with its preferences as properties. With @c autoRefresh on, it loads the file
 * again whenever another writer changes it, as MenuSettings does.
 */
class QmlSearchSettings : public SearchSettings
{
    Q_OBJECT
    Q_PROPERTY(bool indexApplications READ indexApplications WRITE setIndexApplications NOTIFY changed)
    Q_PROPERTY(bool indexSettings READ indexSettings WRITE setIndexSettings NOTIFY changed)
    Q_PROPERTY(bool indexDocuments READ indexDocuments WRITE setIndexDocuments NOTIFY changed)
    Q_PROPERTY(bool indexMedia READ indexMedia WRITE setIndexMedia NOTIFY changed)
    Q_PROPERTY(bool indexArchives READ indexArchives WRITE setIndexArchives NOTIFY changed)
    Q_PROPERTY(bool indexHelp READ indexHelp WRITE setIndexHelp NOTIFY changed)
    Q_PROPERTY(bool limitIndexSize READ limitIndexSize WRITE setLimitIndexSize NOTIFY changed)
    Q_PROPERTY(qint64 indexSizeLimit READ indexSizeLimit WRITE setIndexSizeLimit NOTIFY changed)
    Q_PROPERTY(bool idleModeIndexing READ idleModeIndexing WRITE setIdleModeIndexing NOTIFY changed)
    Q_PROPERTY(bool autoRefresh READ autoRefresh WRITE setAutoRefresh NOTIFY autoRefreshChanged)

public:
    explicit QmlSearchSettings(QObject *parent = nullptr);

    void setIndexApplications(bool index);
    void setIndexSettings(bool index);
    void setIndexDocuments(bool index);
    void setIndexMedia(bool index);
    void setIndexArchives(bool index);
    void setIndexHelp(bool index);
    void setLimitIndexSize(bool limit);
    void setIndexSizeLimit(qint64 limit);
    void setIdleModeIndexing(bool idle);

    bool autoRefresh() const;
    void setAutoRefresh(bool autoRefresh);

    Q_INVOKABLE void load();
    Q_INVOKABLE void save();

Q_SIGNALS:
    void changed();
    void autoRefreshChanged();

private:
    template<typename T>
    void assign(T (SearchSettings::*get)() const, void (SearchSettings::*set)(T), T value);
    void watch();

    QString m_file;
    QFileSystemWatcher m_watcher;
    bool m_autoRefresh = false;
};

/// BalooCtl with its commands invokable.
class QmlBalooCtl : public BalooCtl
{
    Q_OBJECT

public:
    explicit QmlBalooCtl(QObject *parent = nullptr);

    Q_INVOKABLE void enable();
    Q_INVOKABLE void disable();
    Q_INVOKABLE void suspend();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void purge();
    Q_INVOKABLE void updateConfig();
};

/// BalooMonitor with the indexer's live state as properties.
class QmlBalooMonitor : public BalooMonitor
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath NOTIFY changed)
    Q_PROPERTY(QString suspendState READ suspendState NOTIFY changed)
    Q_PROPERTY(bool balooRunning READ balooRunning NOTIFY changed)
    Q_PROPERTY(quint32 totalFiles READ totalFiles NOTIFY changed)
    Q_PROPERTY(quint32 filesIndexed READ filesIndexed NOTIFY changed)
    Q_PROPERTY(QString remainingTime READ remainingTime NOTIFY changed)
    Q_PROPERTY(int state READ state NOTIFY changed)
    Q_PROPERTY(QString stateString READ stateString NOTIFY changed)
    Q_PROPERTY(int completionPercentage READ completionPercentage NOTIFY changed)
    Q_PROPERTY(bool currentlyIndexing READ currentlyIndexing NOTIFY changed)

public:
    explicit QmlBalooMonitor(QObject *parent = nullptr);

    Q_INVOKABLE void toggleSuspendState();
    Q_INVOKABLE void startBaloo();

Q_SIGNALS:
    void changed();
};

/**
 * FolderTableModel filled from the indexer's settings, with its edits invokable and its columns as
 * roles of one list: display, decoration, toolTip, path (the row's folder), status ("Indexed" or
 * "Not indexed"), included and immutable. save() writes the settings and tells the indexer.
 */
class QmlFolderTableModel : public FolderTableModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool needSave READ needSave NOTIFY needSaveChanged)

public:
    enum Roles {
        PathRole = Qt::UserRole + 1,
        StatusRole,
        IncludedRole,
        ImmutableRole,
    };
    Q_ENUM(Roles)

    explicit QmlFolderTableModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const;

    /// Loads the folders from the indexer's settings.
    Q_INVOKABLE void reload();
    /// Adds @p folder (a path or a file URL) as included or excluded.
    Q_INVOKABLE void addFolder(const QString &folder, bool included);
    Q_INVOKABLE void removeFolder(const QString &path);
    Q_INVOKABLE void setIncluded(const QString &path, bool included);
    Q_INVOKABLE QString pathAt(int row) const;
    Q_INVOKABLE void save();

Q_SIGNALS:
    void countChanged();
    void needSaveChanged();

private:
    BalooSettings m_settings;
};

#endif
