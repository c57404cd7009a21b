/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_SERVICEFINDER_H
#define NIMBSTARTMENU_SERVICEFINDER_H

#include "fileinfo.h"
#include "nimbstartmenu_export.h"

#include <KRunner/QueryMatch>

#include <QString>
#include <QStringList>

#include <memory>

class IndexingRunner;
class ServiceFinderPrivate;

namespace Plasma
{
class RunnerContext;
}

/**
 * @class ServiceFinder servicefinder.h <NimbStartMenu/servicefinder.h>
 *
 * Answers one query from the index of an IndexingRunner: looks the trimmed query up, matches the
 * hits by display name (exact matches first), by name, keywords, generic name, command and comment,
 * and by category, ranks them and adds them to the context.
 *
 * One object serves one match() call. Each item is matched once, by the first matcher that meets
 * it; relevances end strictly decreasing in the order of the list, all below 1.
 */
class NIMBSTARTMENU_EXPORT ServiceFinder
{
public:
    explicit ServiceFinder(IndexingRunner *runner);
    ~ServiceFinder();

    /// Adds the ranked matches for @p context's query to it; nothing for an invalid context.
    void match(Plasma::RunnerContext &context);

    void matchExectuables();
    void matchNameKeywordAndGenericName();
    void matchCategories();

    /// 0.01 for each query word after the first that @p field's text of @p item contains.
    double increaseMatchRelavance(const std::shared_ptr<FileInfo> &item, const QStringList &words, const QString &field);

    /// Sets the id, text, subtext, icon and data of @p match from @p item.
    void setupMatch(const std::shared_ptr<FileInfo> &item, Plasma::QueryMatch &match);

    /// Whether both the path and the command of @p item are among the texts seen in this query.
    bool hasSeen(const std::shared_ptr<FileInfo> &item);
    /// Adds the path and the command of @p item to the texts seen in this query.
    void seen(const std::shared_ptr<FileInfo> &item);
    /// Marks @p item as seen; @return whether it had been seen before.
    bool disqualify(const std::shared_ptr<FileInfo> &item);

private:
    const std::unique_ptr<ServiceFinderPrivate> d;
};

#endif
