/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_TAGGEDBOOL_H
#define NIMBSTARTMENU_TAGGEDBOOL_H

/**
 * A boolean that only converts from and to a plain bool explicitly, so that two flags of different
 * meaning can never be swapped at a call site: `saveAs(path, SaveEmptyFields{false})`.
 *
 * @tparam Tag an empty type that names the flag
 */
template<typename Tag>
class tagged_bool
{
public:
    constexpr explicit tagged_bool(bool value)
        : m_value(value)
    {
    }

    constexpr explicit operator bool() const
    {
        return m_value;
    }

    constexpr tagged_bool operator!() const
    {
        return tagged_bool{!m_value};
    }

    friend constexpr bool operator==(tagged_bool a, tagged_bool b)
    {
        return a.m_value == b.m_value;
    }

    friend constexpr bool operator!=(tagged_bool a, tagged_bool b)
    {
        return a.m_value != b.m_value;
    }

private:
    bool m_value = false;
};

/// Tag of the flag that tells NimbDesktopEntry::saveAs() to write keys with an empty value too.
struct SaveEmptyFields_tag {
};

using SaveEmptyFields = tagged_bool<SaveEmptyFields_tag>;

#endif
