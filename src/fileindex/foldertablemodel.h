/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_FOLDERTABLEMODEL_H
#define NIMBSTARTMENU_FOLDERTABLEMODEL_H

#include "nimbstartmenu_export.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <QStringList>

class BalooSettings;

/**
 * @class FolderTableModel foldertablemodel.h <NimbStartMenu/foldertablemodel.h>
 *
 * The folders the file indexer includes or excludes, one row each: column 0 holds the readable name
 * (display), an icon name (decoration), a tooltip and the stored path (what's-this); column 1 says
 * "Indexed" or "Not indexed"; column 2 is empty.
 *
 * Paths are compared as exact strings; the only normalisation is that a path added or loaded gets a
 * trailing slash. When add(), exclude() or remove() leave no folder included, the home folder is
 * included. Filled by load() and written back by save().
 */
class NIMBSTARTMENU_EXPORT FolderTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FolderTableModel(QObject *parent = nullptr);
    ~FolderTableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// Enabled and selectable, but not enabled for the home folder while it is the only one included.
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// @return the path of the index's row; empty for an invalid index
    QString folderAtIndex(const QModelIndex &index) const;

    /// @return "~/" and the path below home without trailing slash; other paths without trailing slash; "/" for the root
    QString name(const QString &path) const;
    /// @return "user-home", "drive-harddisk" for "/", else "folder"
    QString icon(const QString &path) const;
    QString makeTooltip(const QString &path) const;

    /// @return @p path with a leading home folder written as "~"
    static QString makeHomePretty(const QString &path);

    /// @return @p path with a trailing slash added unless it has one
    static QString normalizeTrailingSlashes(QString &&path);
    static QStringList normalizeTrailingSlashes(QStringList &&paths);

    bool isIncluded(const QString &path) const;
    /// @return true for the home folder while it is the only folder included: it cannot be excluded then
    bool isImmutable(const QString &path) const;

    /// Marks the row of exactly @p path as included.
    void include(const QString &path);
    /// Marks the row of exactly @p path as not included; includes home if nothing else is.
    void exclude(const QString &path);
    /// addFolder(), then includes home if nothing else is.
    void add(const QString &path, bool included);
    /// Adds @p path (with a trailing slash) as a row, or marks its row included or not.
    void addFolder(const QString &path, bool included);
    /// Removes the row of exactly @p path; includes home if nothing else is.
    void remove(const QString &path);
    /// Includes the home folder, as a new row if needed, when no folder is included.
    void restoreHome();

    /// @return whether the rows or the included folders differ from the last load() or save()
    bool needSave() const;

    /// Replaces the rows by @p included and @p excluded (each with a trailing slash), sorted.
    void load(const QStringList &included, const QStringList &excluded);

    /**
     * Writes the included folders and the other rows as the excluded folders into @p settings, in
     * memory only, and marks the model as saved. An immutable item keeps its value; an item whose
     * folders are the same, in whatever order, is left alone. The lists are written sorted.
     */
    void save(BalooSettings &settings);

private:
    QString m_homePath;
    QSet<QString> m_homeOnly;
    QStringList m_folders;
    QSet<QString> m_savedFolders;
    QSet<QString> m_included;
    QSet<QString> m_savedIncluded;
};

#endif
