/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "indexingrunner.h"

IndexingRunner::IndexingRunner(QObject *parent, const KPluginMetaData &metaData, const QVariantList &args)
    : Plasma::AbstractRunner(parent, metaData, args)
{
}

IndexingRunner::~IndexingRunner() = default;

Indexer &IndexingRunner::indexer()
{
    return m_indexer;
}

const Indexer &IndexingRunner::indexer() const
{
    return m_indexer;
}
