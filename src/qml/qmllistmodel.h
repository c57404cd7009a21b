/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_QMLLISTMODEL_H
#define NIMBSTARTMENU_QML_QMLLISTMODEL_H

#include <QAbstractListModel>

#include <functional>

/**
 * A list model as the start menu's views use it: its number of rows as the property @c count, and
 * the value of a role by the role's name through get().
 */
class QmlListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    explicit QmlListModel(QObject *parent = nullptr);
    ~QmlListModel() override;

    /// The value of the role named @p role at @p row; undefined outside the rows.
    Q_INVOKABLE QVariant get(int row, const QString &role) const;

Q_SIGNALS:
    void countChanged();

protected:
    /// Resets the model around @p replace, which puts in the new rows; emits countChanged() if their
    /// number changed.
    void resetRows(const std::function<void()> &replace);
};

#endif
