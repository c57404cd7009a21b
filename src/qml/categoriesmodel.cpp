/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "categoriesmodel.h"

#include "menutree.h"

CategoriesModel::CategoriesModel(QObject *parent)
    : MenuLevelModel(parent)
{
}

void CategoriesModel::refresh()
{
    QList<Entry> categories = MenuTree::instance()->categories();
    for (Entry &category : categories) {
        category.setChildren({});
    }
    show(categories);
}

QString CategoriesModel::level() const
{
    return QStringLiteral("categories");
}

bool CategoriesModel::alphabetical() const
{
    return settings() && settings()->enableSortCategoriesAlphabetically();
}
