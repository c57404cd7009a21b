/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_INDEXINGRUNNER_H
#define NIMBSTARTMENU_INDEXINGRUNNER_H

#include "indexer.h"
#include "nimbstartmenu_export.h"

#include <KRunner/AbstractRunner>

/**
 * @class IndexingRunner indexingrunner.h <NimbStartMenu/indexingrunner.h>
 *
 * The Plasma runner that owns the search index. The application fills the index through indexer()
 * and answers each query with a ServiceFinder for this runner; the runner's own match() keeps the
 * base behaviour.
 */
class NIMBSTARTMENU_EXPORT IndexingRunner : public Plasma::AbstractRunner
{
    Q_OBJECT

public:
    IndexingRunner(QObject *parent, const KPluginMetaData &metaData, const QVariantList &args);
    ~IndexingRunner() override;

    /// The index that ServiceFinder::match() queries.
    Indexer &indexer();
    const Indexer &indexer() const;

private:
    Indexer m_indexer;
};

#endif
