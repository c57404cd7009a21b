/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CONFIGVALUES_P_H
#define NIMBSTARTMENU_CONFIGVALUES_P_H

#include "logging.h"

#include <QHash>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

// Reading and writing the preferences of MenuSettings and SearchSettings in the configuration file
// they share. Each class has keys of its own, but other writers share them: a second start menu, the
// command-line tool, the user with a text editor.
namespace ConfigValues
{
/// One preference as save() writes it.
struct Entry {
    Entry(const QString &key, const QVariant &value)
        : Entry(key, value, value)
    {
    }

    /// For a preference whose written @p value can differ while it stays the same (the order of a
    /// set): @p state is what tells whether it changed.
    Entry(const QString &key, const QVariant &value, const QVariant &state)
        : key(key)
        , value(value)
        , state(state)
    {
    }

    QString key;
    QVariant value;
    QVariant state;
};

using Entries = std::vector<Entry>;

/**
 * What the file and the object held for each key when they last agreed: when load() took the key,
 * when save() wrote it, or, for an object that has done neither, when it was constructed (the file
 * then counts as holding nothing). With it save() tells a value that someone else put into the file
 * since from one the object has, and leaves the former in place unless the object's own is newer.
 */
class Baseline
{
public:
    explicit Baseline(const Entries &initial)
    {
        hold(initial);
    }

    /// The file's value for @p key, or @p current if it holds none; noted as what the file holds.
    QVariant read(const QSettings &settings, const QString &key, const QVariant &current)
    {
        m_stored.insert(key, settings.value(key));
        return settings.value(key, current);
    }

    /// Notes the object's preferences after load() has read the file.
    void hold(const Entries &entries)
    {
        for (const Entry &entry : entries) {
            m_held.insert(entry.key, entry.state);
        }
    }

    /**
     * Writes each preference, except where the file holds a value other than the one last noted for
     * the key and the object's preference has not changed since: the file's value is the newer one
     * and stays. A preference the object's owner changed is always written.
     */
    void write(QSettings &settings, const Entries &entries)
    {
        for (const Entry &entry : entries) {
            const QVariant stored = settings.value(entry.key);
            const bool storedByOthers = stored.isValid() && !same(stored, m_stored.value(entry.key));
            if (storedByOthers && same(entry.state, m_held.value(entry.key))) {
                continue;
            }
            settings.setValue(entry.key, entry.value);
            m_stored.insert(entry.key, entry.value);
            m_held.insert(entry.key, entry.state);
        }
    }

private:
    // Strict: QVariant's == would find "yes" and true equal. A value that differs only in type (the text
    // QSettings reads back against the bool it wrote) counts as another writer's, which keeps a value
    // that means the same.
    static bool same(const QVariant &left, const QVariant &right)
    {
        return left.userType() == right.userType() && left == right;
    }

    QHash<QString, QVariant> m_stored;
    QHash<QString, QVariant> m_held;
};

// How a preference of each type is written into the file, tells whether it changed, goes to its
// setter and comes back from the file. A set of names is written as a list in the set's order, which
// means nothing, so whether it changed goes by its sorted names; its setter takes a list.
template<typename T>
QVariant written(const T &value)
{
    return QVariant::fromValue(value);
}

inline QVariant written(const QSet<QString> &names)
{
    return QStringList(names.values());
}

template<typename T>
QVariant state(const T &value)
{
    return written(value);
}

inline QVariant state(const QSet<QString> &names)
{
    QStringList sorted = names.values();
    sorted.sort();
    return sorted;
}

template<typename T>
const T &argument(const T &value)
{
    return value;
}

inline QStringList argument(const QSet<QString> &names)
{
    return names.values();
}

// As QVariant converts: any text but "false", "0" and nothing is true, and a list where a name
// belongs is an empty name.
template<typename T>
T converted(const QVariant &value)
{
    if constexpr (std::is_same_v<T, bool>) {
        return value.toBool();
    } else if constexpr (std::is_same_v<T, QString>) {
        return value.toString();
    } else if constexpr (std::is_same_v<T, QStringList>) {
        return value.toStringList();
    } else {
        static_assert(std::is_same_v<T, qint64>, "no conversion for this type");
        return value.toLongLong();
    }
}

/**
 * One preference of @p Owner: its key in the file, the member that holds it, its default and the
 * setter through which load() and a reset change it, so that they signal as the setter does.
 */
template<typename Owner>
struct Preference {
    /// Whether save() writes the preference; one that only the user sets in the file is read only.
    enum Use {
        Stored,
        ReadOnly,
    };

    // The member's type alone gives T: a default of another type (3 for a qint64) is converted.
    template<typename T, typename Argument>
    Preference(const QString &key, T Owner::*member, const std::decay_t<T> &defaultValue, void (Owner::*setter)(Argument), Use use = Stored)
        : key(key)
        , use(use)
        , setDefault([member, defaultValue](Owner &owner) {
            owner.*member = defaultValue;
        })
        , reset([setter, defaultValue](Owner &owner) {
            (owner.*setter)(argument(defaultValue));
        })
        , assign([setter](Owner &owner, const QVariant &value) {
            (owner.*setter)(converted<std::decay_t<Argument>>(value));
        })
        , entry([key, member](const Owner &owner) {
            return Entry(key, written(owner.*member), state(owner.*member));
        })
        , holds([member](const Owner &owner, const void *value) {
            return &(owner.*member) == value;
        })
    {
    }

    QString key;
    Use use;
    /// Stores the default without the setter: the owner is being constructed.
    std::function<void(Owner &)> setDefault;
    std::function<void(Owner &)> reset;
    std::function<void(Owner &, const QVariant &)> assign;
    std::function<Entry(const Owner &)> entry;
    std::function<bool(const Owner &, const void *)> holds;
};

/// The preferences of @p Owner, in the order load() reads them and save() writes them.
template<typename Owner>
class Preferences
{
public:
    Preferences(std::initializer_list<Preference<Owner>> preferences)
        : m_preferences(preferences)
    {
    }

    void setDefaults(Owner &owner) const
    {
        for (const Preference<Owner> &preference : m_preferences) {
            preference.setDefault(owner);
        }
    }

    /// Sets the preference that @p member of @p owner holds to its default.
    template<typename T>
    void reset(Owner &owner, const T &member) const
    {
        const auto found = std::find_if(m_preferences.cbegin(), m_preferences.cend(), [&owner, &member](const Preference<Owner> &preference) {
            return preference.holds(owner, &member);
        });
        Q_ASSERT(found != m_preferences.cend());
        found->reset(owner);
    }

    /// Sets each preference through its setter to the file's value, the current value standing for a
    /// missing key, and notes them in @p baseline.
    void load(Owner &owner, Baseline &baseline, const QSettings &settings) const
    {
        for (const Preference<Owner> &preference : m_preferences) {
            preference.assign(owner, baseline.read(settings, preference.key, preference.entry(owner).value));
        }
        baseline.hold(stored(owner));
    }

    /**
     * Reads @p file as load() reads its settings. A file that cannot be opened leaves every
     * preference as it is; one with lines QSettings cannot parse still gives the values it could.
     * @p what names the preferences in the debug log.
     */
    void load(Owner &owner, Baseline &baseline, const QString &file, const char *what) const
    {
        QSettings settings(file, QSettings::NativeFormat);
        // Nothing was read; QSettings reports a file that is damaged but readable as a format error
        // and still gives every value it could parse, and those are taken.
        if (settings.status() == QSettings::AccessError) {
            qCDebug(LOG_GENERAL) << what << "not loaded: cannot open" << file;
            return;
        }
        load(owner, baseline, settings);
        if (settings.status() != QSettings::NoError) {
            qCDebug(LOG_GENERAL) << what << "loaded from a damaged file" << file << settings.status();
        }
    }

    /// Writes the preferences save() writes into @p file, as @p baseline lets it.
    void save(const Owner &owner, Baseline &baseline, const QString &file) const
    {
        QSettings settings(file, QSettings::NativeFormat);
        baseline.write(settings, stored(owner));
    }

    /// The preferences save() writes.
    Entries stored(const Owner &owner) const
    {
        Entries entries;
        for (const Preference<Owner> &preference : m_preferences) {
            if (preference.use == Preference<Owner>::Stored) {
                entries.push_back(preference.entry(owner));
            }
        }
        return entries;
    }

    void copy(Owner &owner, const Owner &other) const
    {
        for (const Preference<Owner> &preference : m_preferences) {
            preference.assign(owner, preference.entry(other).value);
        }
    }

    bool equal(const Owner &left, const Owner &right) const
    {
        return std::all_of(m_preferences.cbegin(), m_preferences.cend(), [&left, &right](const Preference<Owner> &preference) {
            return preference.entry(left).state == preference.entry(right).state;
        });
    }

private:
    std::vector<Preference<Owner>> m_preferences;
};
}

#endif
