/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_CATEGORIESMODEL_H
#define NIMBSTARTMENU_QML_CATEGORIESMODEL_H

#include "menulevelmodel.h"

/// The categories of the menu tree.
class CategoriesModel : public MenuLevelModel
{
    Q_OBJECT

public:
    explicit CategoriesModel(QObject *parent = nullptr);

protected:
    void refresh() override;
    QString level() const override;
    bool alphabetical() const override;
};

#endif
