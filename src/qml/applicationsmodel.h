/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_APPLICATIONSMODEL_H
#define NIMBSTARTMENU_QML_APPLICATIONSMODEL_H

#include "menulevelmodel.h"

/**
 * The applications of the menu tree: those of the category @c categoryId in the mode "tree", all of
 * them in one list in any other mode (such as "list"), as the preference @c appsMode says.
 */
class ApplicationsModel : public MenuLevelModel
{
    Q_OBJECT
    Q_PROPERTY(QString mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(QString categoryId READ categoryId WRITE setCategoryId NOTIFY categoryIdChanged)

public:
    explicit ApplicationsModel(QObject *parent = nullptr);

    QString mode() const;
    void setMode(const QString &mode);
    QString categoryId() const;
    void setCategoryId(const QString &categoryId);

    /// Starts the application of @p row; false if there is none. A failure shows in launchFailed().
    Q_INVOKABLE bool run(int row);

Q_SIGNALS:
    void modeChanged();
    void categoryIdChanged();
    void launchFailed(const QString &name, const QString &error);

protected:
    void refresh() override;
    QString level() const override;
    bool alphabetical() const override;

private:
    bool isTree() const;

    QString m_mode = QStringLiteral("tree");
    QString m_categoryId;
};

#endif
