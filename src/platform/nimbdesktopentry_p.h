/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_NIMBDESKTOPENTRY_P_H
#define NIMBSTARTMENU_NIMBDESKTOPENTRY_P_H

#include <QSharedData>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// Not installed. The parsed form of a desktop file: every line as views of its key and value into
// buffers holding the file's bytes, and the lines of the keys the library asks for on every file.
// Copies of a NimbDesktopEntry share one of these until one of them changes.
class NimbDesktopEntryPrivate : public QSharedData
{
public:
    /// Bytes of a file or of set values; copies of the lines' owner share them.
    using Buffer = std::shared_ptr<const char[]>;

    // The keys the library asks for on every file; their lines are found once while parsing.
    enum KnownKey : std::uint8_t {
        Type,
        Name,
        GenericName,
        Comment,
        Icon,
        Exec,
        TryExec,
        Hidden,
        NoDisplay,
        OnlyShowIn,
        NotShowIn,
        Keywords,
        Categories,
        KnownKeyCount,
        UnknownKey = KnownKeyCount,
    };

    struct Line {
        std::string_view key; // as written, translation included: "Name[de]"
        std::string_view value; // still escaped
        std::uint32_t group;
        std::uint32_t baseLength; // length of the key without "[locale]"

        std::string_view baseKey() const
        {
            return key.substr(0, baseLength);
        }
        bool isTranslation() const
        {
            return baseLength != key.size();
        }
    };

    // Files have a handful of groups, found by a look along the list. Past a few dozen a hash table
    // takes over: a file of a hundred thousand groups would otherwise take seconds to read.
    struct GroupLookup {
        static constexpr std::size_t listed = 32;
        std::unordered_map<std::string_view, std::uint32_t> indices;
    };

    static constexpr std::int32_t NoLine = -1;

    /// An entry without lines: not loaded.
    NimbDesktopEntryPrivate();

    /// Reads the lines of @p text, which must outlive them (a buffer of m_buffers).
    void parse(std::string_view text);
    /// Finds the lines of the known keys again, after lines were added or removed.
    void reindex();
    void noteKnownKey(std::size_t line, const std::vector<std::string> &locales);
    void addGroupLine(std::string_view key, std::string_view value, std::uint32_t group, const std::vector<std::string> &locales);
    std::uint32_t groupIndex(std::string_view name, GroupLookup &lookup);
    /// For each line, whether no later line of its group has its key.
    std::vector<bool> lastOfEachKey() const;

    // The work of NimbDesktopEntry's functions of the same names, on a loaded entry.
    void overrideFrom(const NimbDesktopEntryPrivate &other);
    void setUnknowns(const std::vector<std::pair<std::string, std::string>> &pairs);
    /// The text saveAs() writes; without blank lines between groups if it would exceed MaxFileSize.
    std::string fileText(bool saveEmptyFields) const;

    const Line *plain(KnownKey key) const;
    const Line *translated(KnownKey key) const;
    std::string stringValue(KnownKey key) const;
    std::string localStringValue(KnownKey key) const;
    std::vector<std::string> listValue(KnownKey key) const;
    bool boolValue(KnownKey key) const;

    std::string m_path;
    // Lines point into these buffers; they are shared, so copies stay cheap and valid.
    std::vector<Buffer> m_buffers;
    std::vector<std::string_view> m_groups;
    std::vector<Line> m_lines;
    std::int32_t m_mainGroup = NoLine;
    std::array<std::int32_t, KnownKeyCount> m_plain{};
    std::array<std::int32_t, KnownKeyCount> m_translated{};
    std::array<std::int8_t, KnownKeyCount> m_translatedRank{};
};

#endif
