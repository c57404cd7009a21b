/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_INDEXTABLE_P_H
#define NIMBSTARTMENU_INDEXTABLE_P_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

/**
 * A set of items that the caller keeps in an array of its own, held as their places in that array
 * and found by their hashes: open addressing with linear probing, never more than half full. It
 * serves the loops that meet many small items and must tell the ones met before, where a container
 * of copies would cost an allocation an item.
 */
class IndexTable
{
public:
    /// A polynomial hash, one unit of text a step: the hash of a text is the same wherever it stands,
    /// and the hashes of the prefixes of a text give the hash of each of its suffixes in one step.
    static constexpr std::uint64_t HashBase = 0x100000001B3ULL;
    static constexpr std::uint64_t hashStep(std::uint64_t hash, std::uint32_t unit)
    {
        return hash * HashBase + unit + 1;
    }
    static std::uint64_t hashOf(std::string_view text, std::uint64_t hash = 0)
    {
        for (const char c : text) {
            hash = hashStep(hash, static_cast<unsigned char>(c));
        }
        return hash;
    }

    /// Forgets every item and keeps the room: the next round of items needs it again.
    void clear()
    {
        std::fill(m_slots.begin(), m_slots.end(), Slot{});
        m_size = 0;
    }

    /// Makes room for @p count items at once.
    void reserve(std::size_t count)
    {
        std::size_t size = std::max<std::size_t>(MinimumSize, m_slots.size());
        while (size < 2 * count) {
            size *= 2;
        }
        if (size > m_slots.size()) {
            rehash(size);
        }
    }

    /**
     * Gives back room once the items are all in: the fewest slots that keep the table at most
     * three quarters full. A table that is only looked up in then takes half the memory or less,
     * at a few more probes a lookup; the next insertion grows it again.
     */
    void shrink()
    {
        std::size_t size = MinimumSize;
        while (4 * m_size > 3 * size) {
            size *= 2;
        }
        if (size < m_slots.size()) {
            rehash(size);
        }
    }

    /**
     * The place of the item of hash @p hash for which @p isSame(place) says yes, if there is one;
     * otherwise @p place is added and returned.
     */
    template<typename IsSame>
    std::int32_t findOrInsert(std::uint64_t hash, std::int32_t place, IsSame isSame)
    {
        if (m_slots.size() < 2 * (m_size + 1)) {
            rehash(std::max<std::size_t>(MinimumSize, m_slots.size() * 2));
        }
        const std::uint32_t mixed = mix(hash);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = mixed & mask;; slot = (slot + 1) & mask) {
            Slot &known = m_slots[slot];
            if (known.entry == 0) {
                known = Slot{std::uint32_t(place) + 1, mixed};
                ++m_size;
                return place;
            }
            if (known.mixed == mixed && isSame(known.place())) {
                return known.place();
            }
        }
    }

    /// The place of the item of hash @p hash for which @p isSame(place) says yes, or -1.
    template<typename IsSame>
    std::int32_t find(std::uint64_t hash, IsSame isSame) const
    {
        if (m_size == 0) {
            return -1;
        }
        const std::uint32_t mixed = mix(hash);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = mixed & mask;; slot = (slot + 1) & mask) {
            const Slot &known = m_slots[slot];
            if (known.entry == 0) {
                return -1;
            }
            if (known.mixed == mixed && isSame(known.place())) {
                return known.place();
            }
        }
    }

private:
    // All zero when free, so that a new table is cleared memory.
    struct Slot {
        std::uint32_t entry; // the place plus one; 0 for a free slot
        std::uint32_t mixed;

        std::int32_t place() const
        {
            return std::int32_t(entry - 1);
        }
    };

    // The high bits of a multiplication mix all bits of the hash, whose low bits alone are weak.
    static std::uint32_t mix(std::uint64_t hash)
    {
        return std::uint32_t((hash * 0x9E3779B97F4A7C15ULL) >> 32);
    }

    static constexpr std::size_t MinimumSize = 16;

    void rehash(std::size_t size)
    {
        std::vector<Slot> slots(size);
        const std::size_t mask = slots.size() - 1;
        for (const Slot &known : m_slots) {
            if (known.entry != 0) {
                std::size_t slot = known.mixed & mask;
                while (slots[slot].entry != 0) {
                    slot = (slot + 1) & mask;
                }
                slots[slot] = known;
            }
        }
        m_slots.swap(slots);
    }

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};

#endif
