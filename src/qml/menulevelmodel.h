/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_MENULEVELMODEL_H
#define NIMBSTARTMENU_QML_MENULEVELMODEL_H

#include "qmllistmodel.h"

#include <NimbStartMenu/entry.h>
#include <NimbStartMenu/menusettings.h>

#include <QPointer>

/**
 * A level of the menu tree as a list: entries ordered by Entry::sortChildren() with the order the
 * user saved for the level, or by name alone when the preferences of @c settings ask for
 * alphabetical sorting. Follows the tree on disk and the preferences.
 */
class MenuLevelModel : public QmlListModel
{
    Q_OBJECT
    Q_PROPERTY(MenuSettings *settings READ settings WRITE setSettings NOTIFY settingsChanged)

public:
    enum Roles {
        DescriptionRole = Qt::UserRole + 1,
        DesktopFileRole,
        CategoryIdRole,
    };
    Q_ENUM(Roles)

    explicit MenuLevelModel(QObject *parent = nullptr);
    ~MenuLevelModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    MenuSettings *settings() const;
    void setSettings(MenuSettings *settings);

    /// Moves an entry and saves the level's new order; false if a row is out of range.
    Q_INVOKABLE bool moveRow(int from, int to);

Q_SIGNALS:
    void settingsChanged();

protected:
    /// Orders and shows @p entries through resetRows().
    void show(const QList<Entry> &entries);
    /// Reads the tree again into the model, through show().
    virtual void refresh() = 0;
    /// The key of this level's saved order; empty if the level cannot be reordered.
    virtual QString level() const = 0;
    /// Whether the preferences ask for this level by name.
    virtual bool alphabetical() const = 0;

private:
    QList<Entry> m_entries;
    QPointer<MenuSettings> m_settings;
};

#endif
