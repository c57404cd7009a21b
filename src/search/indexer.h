/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_INDEXER_H
#define NIMBSTARTMENU_INDEXER_H

#include "fileinfo.h"
#include "nimbstartmenu_export.h"
#include "settingsmap.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class IndexerPrivate;
class NimbDesktopEntry;

namespace ZDS
{
class AbstractItem;
class KCModuleItem;
}

/**
 * @class Indexer indexer.h <NimbStartMenu/indexer.h>
 *
 * The in-memory search index of applications and settings items: every record is filed under
 * every prefix and every proper suffix of each of its words, lower-cased, so that a query word
 * finds the records with a word that begins or ends with it.
 *
 * The owner fills it (indexApplications(), indexSettings(), in either order), asks find() any
 * number of times, and calls clear() before filling it again; indexing only adds. Nothing is
 * watched: a change on disk shows when the index is built again.
 *
 * Keys are at most MaxKeyLength characters long: a longer word is filed under its first and last
 * MaxKeyLength characters' prefixes and suffixes, and a longer query word is looked up by its first
 * MaxKeyLength characters. Without the bound, one word of a megabyte in a user's desktop file would
 * ask for a terabyte of keys.
 */
class NIMBSTARTMENU_EXPORT Indexer : public QObject
{
    Q_OBJECT

public:
    /// Decides whether one loaded desktop entry belongs in the index being built.
    using DesktopFileFilter = std::function<bool(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap)>;

    /// The longest key filed for a word, in UTF-16 code units; far above any real word.
    static constexpr int MaxKeyLength = 64;

    explicit Indexer(QObject *parent = nullptr);
    ~Indexer() override;

    /// Empties the index; records still held elsewhere live on.
    void clear();

    /**
     * Indexes the applications: the menu tree first, then the application folders. A copy in the
     * menu tree stands in for the source file its "X-Nimb-OriginFile" names.
     */
    void indexApplications();

    /**
     * Indexes the classic settings items: desktop entries of "/usr/share/applications" that the
     * settings-applications table marks as such or that carry an "X-SuSE-YaST-Group", and the power
     * actions of "/usr/share/nimb-start-menu/actions" that fit the current system-update state.
     */
    void indexClassicSettings();

    /// indexClassicSettings(), then indexZDS().
    void indexSettings();

    /// Indexes the settings modules of the settings tree (ZDS::KCModuleItem::getKCModuleTree()).
    void indexZDS();

    /// Indexes the module items of @p item's subtree, the item first; other items are walked only.
    void indexZDSNode(ZDS::AbstractItem *item);

    /// Files the record of one settings module.
    void indexKCMItem(const ZDS::KCModuleItem *module);

    /// The application filter: not named by the table and without "X-SuSE-YaST-Group".
    static bool isApplication(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap);

    /// The classic-settings filter: the table's flag, else a YaST group (power actions by update state).
    static bool isClassicSettings(const QFileInfo &file, const NimbDesktopEntry &entry, const QMap<QString, SettingsMapRecord> &settingsMap);

    /**
     * Walks @p dirs in order (sub-folders included, hidden ones not) and indexes the accepted desktop
     * files that @p filter lets through; a file already indexed through a copy met earlier in the
     * walk is skipped.
     */
    void indexDesktopFiles(const QStringList &dirs, const DesktopFileFilter &filter, const QMap<QString, SettingsMapRecord> &settingsMap);

    /// Makes the record of one desktop entry and files it.
    void indexDesktopFile(const QString &path, const QFileInfo &file, const NimbDesktopEntry &entry);

    /// Files @p item under the prefixes and proper suffixes of @p words, once per key.
    void indexFileInfo(const std::shared_ptr<FileInfo> &item, const QList<QString> &words);

    /**
     * @return the records that have, for every word of @p query, a word beginning or ending with it
     *         (case-insensitive); words are separated by ASCII white space and punctuation. Empty for
     *         a query without words.
     */
    QSet<std::shared_ptr<FileInfo>> find(const QString &query) const;

private:
    const std::unique_ptr<IndexerPrivate> d;
    const QString m_applicationsCategory = QStringLiteral("Applications");
    const QString m_kcmCategory = QStringLiteral("KCM");
    ZDS::AbstractItem *m_settingsTree = nullptr; // not owned

    friend class IndexerPrivate;
};

#endif
