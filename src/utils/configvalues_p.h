/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_CONFIGVALUES_P_H
#define NIMBSTARTMENU_CONFIGVALUES_P_H

#include <QHash>
#include <QSettings>
#include <QString>
#include <QVariant>

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
}

#endif
