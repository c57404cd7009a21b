/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_SEARCHSETTINGS_H
#define NIMBSTARTMENU_SEARCHSETTINGS_H

#include "nimbstartmenu_export.h"

#include <QDir>
#include <QObject>
#include <QString>

#include <memory>

namespace ConfigValues
{
class Baseline;
template<typename Owner>
class Preferences;
}

/**
 * @class SearchSettings searchsettings.h <NimbStartMenu/searchsettings.h>
 *
 * The user's search preferences: what is indexed, whether and how far the index size is limited, and
 * whether indexing waits for idle time. They are kept in QDir::homePath() +
 * "/.config/kolvatek/nimb-start-menu.conf", whose other entries (those of MenuSettings) are left as
 * they are.
 *
 * The values have no change signals. Nothing is read or written unless load() or save() is called.
 * A copy keeps a second set of values to compare with; it has no file of its own.
 *
 * load() takes every value the file holds, converted as QVariant converts it: "false", "0" (in any
 * case) and an empty value switch a flag off, any other text ("true", "yes") on; a size limit that is
 * not a whole number within 64 bits reads as 0. A file with lines QSettings cannot parse still gives
 * the values it could; only a file that cannot be opened at all leaves the values as they were.
 *
 * The file has other writers (the start menu, a text editor). save() writes every value but one that
 * the file holds with a value it did not hold when this object last loaded or saved that key (or,
 * without either, when the object was made), and that has not been set to another value here since:
 * the file keeps that value.
 */
class NIMBSTARTMENU_EXPORT SearchSettings : public QObject
{
    Q_OBJECT

public:
    explicit SearchSettings(QObject *parent = nullptr);

    /**
     * A new object with @p other's parent and values. Its configuration file path is empty, so its
     * load() and save() do nothing.
     */
    SearchSettings(const SearchSettings &other);

    ~SearchSettings() override;

    bool indexApplications() const;
    void setIndexApplications(bool index);

    bool indexSettings() const;
    void setIndexSettings(bool index);

    bool indexDocuments() const;
    void setIndexDocuments(bool index);

    bool indexMedia() const;
    void setIndexMedia(bool index);

    bool indexArchives() const;
    void setIndexArchives(bool index);

    bool indexHelp() const;
    void setIndexHelp(bool index);

    bool limitIndexSize() const;
    void setLimitIndexSize(bool limit);

    /// The size limit, in the unit the user interface chose; stored as given.
    qint64 indexSizeLimit() const;
    void setIndexSizeLimit(qint64 limit);

    bool idleModeIndexing() const;
    void setIdleModeIndexing(bool idle);

    /// @return whether all nine values are equal; the file path and the parent do not count
    bool operator==(const SearchSettings &other) const;
    bool operator!=(const SearchSettings &other) const;

    /**
     * Reads the values from the file. A missing entry leaves its value as it is; a file that cannot
     * be opened leaves them all.
     */
    void load();

    /**
     * Writes the nine values, but keeps a value another writer put into the file since the last
     * load() or save() unless it was set to another value here since. The file is written when the
     * call returns.
     */
    void save();

private:
    static const ConfigValues::Preferences<SearchSettings> &preferences();

    QString m_configFile;
    // The values get their defaults from preferences() on construction.
    bool m_indexApplications;
    bool m_indexSettings;
    bool m_indexDocuments;
    bool m_indexMedia;
    bool m_indexArchives;
    bool m_indexHelp;
    bool m_limitIndexSize;
    qint64 m_indexSizeLimit;
    bool m_idleModeIndexing;
    // Not compared by operator==.
    std::unique_ptr<ConfigValues::Baseline> m_baseline;
};

#endif
