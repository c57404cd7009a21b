/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_QMLFOLDERTABLEMODEL_H
#define NIMBSTARTMENU_QML_QMLFOLDERTABLEMODEL_H

#include <NimbStartMenu/baloosettings.h>
#include <NimbStartMenu/foldertablemodel.h>

/**
 * FolderTableModel for QML: filled from the indexer's settings, with its edits invokable and its
 * columns as roles of one list: display, decoration, toolTip, path (the row's folder), status
 * ("Indexed" or "Not indexed"), included and immutable. save() writes the settings and tells the
 * indexer.
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
