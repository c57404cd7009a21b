/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_INDEXER_P_H
#define NIMBSTARTMENU_INDEXER_P_H

#include "indexer.h"
#include "indextable_p.h"
#include "nimbstartmenu_export.h"

#include <QVariant>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

/**
 * The store behind Indexer, flat: the records in one vector, numbered in the order they were first
 * filed; each key's text a place in one buffer of lower-cased words that the keys share; and each
 * key's records an ascending run of record numbers in one array. A lookup is then an intersection
 * of sorted runs, and filing a record under a key appends one number.
 *
 * Filing collects (key, record) pairs; they join the runs in one pass when the filing is done
 * (settle()) or, at the latest, at the next lookup.
 */
class NIMBSTARTMENU_EXPORT IndexerPrivate
{
public:
    static const IndexerPrivate *get(const Indexer &indexer)
    {
        return indexer.d.get();
    }

    void clear();

    /// The number of @p record, which is given one when it is new to the index.
    std::uint32_t recordNumber(const std::shared_ptr<FileInfo> &record);

    /// Folds one UTF-16 unit as a case-insensitive QString comparison does; ASCII to lower case.
    static char16_t foldedUnit(char16_t unit)
    {
        return unit < 128 ? ((unit >= u'A' && unit <= u'Z') ? char16_t(unit + (u'a' - u'A')) : unit) : QChar::toCaseFolded(unit);
    }

    /// The ASCII units that units of a text fold to, and what its first unit folds to: whether a
    /// text holds or begins with an ASCII letter, without reading the text.
    struct FoldedUnits {
        std::uint64_t low = 0; // units 0 to 63
        std::uint64_t high = 0; // units 64 to 127
        char16_t first = 0xFFFF; // none for an empty text

        static FoldedUnits of(const QString &text);
        bool contains(char16_t asciiUnit) const
        {
            return ((asciiUnit < 64 ? low >> asciiUnit : high >> (asciiUnit - 64)) & 1) != 0;
        }
    };

    /// FoldedUnits of the display name and of the command of the record numbered @p number.
    const FoldedUnits &nameUnits(std::uint32_t number) const
    {
        return m_nameUnits[number];
    }
    const FoldedUnits &commandUnits(std::uint32_t number) const
    {
        return m_commandUnits[number];
    }

    /// The record numbered @p number.
    const std::shared_ptr<FileInfo> &record(std::uint32_t number) const
    {
        return m_records[number];
    }

    /// The data of a query match for @p record: its file's URL, or "kcm://" and the module's name.
    static QVariant matchDataOf(const FileInfo &record);

    /// matchDataOf() the record numbered @p number, made when it was filed.
    const QVariant &matchData(std::uint32_t number) const
    {
        return m_matchData[number];
    }

    /**
     * Whether no other record has the path of the record numbered @p number as its path or its
     * command: that record's path is then among the texts a query has seen exactly when the
     * record itself was seen.
     */
    bool hasOwnPath(std::uint32_t number) const
    {
        return m_ownPaths[number];
    }

    std::size_t recordCount() const
    {
        return m_records.size();
    }

    std::size_t keyCount() const
    {
        return m_keys.size();
    }

    /**
     * The number of the key of @p text (lower-cased, at most Indexer::MaxKeyLength units) of
     * polynomial hash @p hash; a new key stores its text at the place in the shared buffer that
     * @p storeText() returns, which may append to the buffer through appendText().
     */
    template<typename StoreText>
    std::uint32_t keyNumber(const QChar *text, int length, std::uint64_t hash, StoreText storeText)
    {
        const auto place = std::int32_t(m_keys.size());
        const std::int32_t found = m_keyTable.findOrInsert(hash, place, [&](std::int32_t index) {
            return sameText(m_keys[std::size_t(index)], text, length);
        });
        if (found == place) {
            m_keys.push_back(Key{storeText(), std::uint32_t(length)});
        }
        return std::uint32_t(found);
    }

    /// Appends @p length units of @p text to the buffer of key texts; @return their place.
    std::uint32_t appendText(const QChar *text, int length);

    /// Files record number @p record under key number @p key.
    void file(std::uint32_t key, std::uint32_t record)
    {
        m_pending.push_back(Pair{key, record});
        m_dirty.store(true, std::memory_order_relaxed);
    }

    /// Moves the pairs filed since the last call into the runs.
    void settle() const;

    /// settle(), and gives back the room the buffers grew beyond their contents: a build is done.
    void finish();

    /// The numbers of the records that Indexer::find() returns for @p query, ascending.
    std::vector<std::uint32_t> find(const QString &query) const;

private:
    struct Key {
        std::uint32_t offset; // in m_text
        std::uint32_t length;
    };
    struct Pair {
        std::uint32_t key;
        std::uint32_t record;
    };

    bool sameText(const Key &key, const QChar *text, int length) const
    {
        return key.length == std::uint32_t(length) && std::equal(text, text + length, m_text.data() + key.offset);
    }

    std::int32_t lookUp(const QChar *text, int length) const;
    void findOwnPaths() const;

    std::vector<std::shared_ptr<FileInfo>> m_records;
    std::vector<QVariant> m_matchData; // one for each record
    std::vector<FoldedUnits> m_nameUnits;
    std::vector<FoldedUnits> m_commandUnits;
    IndexTable m_recordTable; // record pointer -> number
    std::vector<QChar> m_text;
    std::vector<Key> m_keys;
    IndexTable m_keyTable; // key text -> number
    // The records of key k are m_runs[m_runStarts[k]] up to m_runs[m_runStarts[k + 1]]; keys newer
    // than the last settle() have none there yet.
    mutable std::vector<std::uint32_t> m_runStarts{0};
    mutable std::vector<std::uint32_t> m_runs;
    mutable std::vector<Pair> m_pending;
    mutable std::vector<bool> m_ownPaths; // hasOwnPath() of each record
    mutable std::atomic<bool> m_dirty{false};
    mutable std::mutex m_settling;
};

#endif
