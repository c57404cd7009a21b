/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "searchsettings.h"

#include "configfile_p.h"
#include "configvalues_p.h"

#include <memory>

// In the order load() reads them and save() writes them.
const ConfigValues::Preferences<SearchSettings> &SearchSettings::preferences()
{
    static const ConfigValues::Preferences<SearchSettings> table = {
        {QStringLiteral("indexApplications"), &SearchSettings::m_indexApplications, true, &SearchSettings::setIndexApplications},
        {QStringLiteral("indexSettings"), &SearchSettings::m_indexSettings, true, &SearchSettings::setIndexSettings},
        {QStringLiteral("indexDocuments"), &SearchSettings::m_indexDocuments, true, &SearchSettings::setIndexDocuments},
        {QStringLiteral("indexMedia"), &SearchSettings::m_indexMedia, true, &SearchSettings::setIndexMedia},
        {QStringLiteral("indexArchives"), &SearchSettings::m_indexArchives, false, &SearchSettings::setIndexArchives},
        {QStringLiteral("indexHelp"), &SearchSettings::m_indexHelp, true, &SearchSettings::setIndexHelp},
        {QStringLiteral("limitIndexSize"), &SearchSettings::m_limitIndexSize, false, &SearchSettings::setLimitIndexSize},
        // Read at the width it is written: through int, a limit beyond 2^31 - 1 came back as 0.
        {QStringLiteral("indexSizeLimit"), &SearchSettings::m_indexSizeLimit, 3, &SearchSettings::setIndexSizeLimit},
        {QStringLiteral("idleModeIndexing"), &SearchSettings::m_idleModeIndexing, false, &SearchSettings::setIdleModeIndexing},
    };
    return table;
}

SearchSettings::SearchSettings(QObject *parent)
    : QObject(parent)
    , m_configFile(ConfigFile::preferencesPath())
{
    preferences().setDefaults(*this);
    m_baseline = std::make_unique<ConfigValues::Baseline>(preferences().stored(*this));
}

SearchSettings::SearchSettings(const SearchSettings &other)
    : QObject(other.parent())
    , m_configFile()
{
    preferences().copy(*this, other);
    m_baseline = std::make_unique<ConfigValues::Baseline>(preferences().stored(*this));
}

SearchSettings::~SearchSettings() = default;

bool SearchSettings::indexApplications() const
{
    return m_indexApplications;
}

void SearchSettings::setIndexApplications(bool index)
{
    m_indexApplications = index;
}

bool SearchSettings::indexSettings() const
{
    return m_indexSettings;
}

void SearchSettings::setIndexSettings(bool index)
{
    m_indexSettings = index;
}

bool SearchSettings::indexDocuments() const
{
    return m_indexDocuments;
}

void SearchSettings::setIndexDocuments(bool index)
{
    m_indexDocuments = index;
}

bool SearchSettings::indexMedia() const
{
    return m_indexMedia;
}

void SearchSettings::setIndexMedia(bool index)
{
    m_indexMedia = index;
}

bool SearchSettings::indexArchives() const
{
    return m_indexArchives;
}

void SearchSettings::setIndexArchives(bool index)
{
    m_indexArchives = index;
}

bool SearchSettings::indexHelp() const
{
    return m_indexHelp;
}

void SearchSettings::setIndexHelp(bool index)
{
    m_indexHelp = index;
}

bool SearchSettings::limitIndexSize() const
{
    return m_limitIndexSize;
}

void SearchSettings::setLimitIndexSize(bool limit)
{
    m_limitIndexSize = limit;
}

qint64 SearchSettings::indexSizeLimit() const
{
    return m_indexSizeLimit;
}

void SearchSettings::setIndexSizeLimit(qint64 limit)
{
    m_indexSizeLimit = limit;
}

bool SearchSettings::idleModeIndexing() const
{
    return m_idleModeIndexing;
}

void SearchSettings::setIdleModeIndexing(bool idle)
{
    m_idleModeIndexing = idle;
}

bool SearchSettings::operator==(const SearchSettings &other) const
{
    return preferences().equal(*this, other);
}

bool SearchSettings::operator!=(const SearchSettings &other) const
{
    return !(*this == other);
}

void SearchSettings::load()
{
    // A copy has no file.
    if (m_configFile.isEmpty()) {
        return;
    }
    // The current value is the default, so a missing entry changes nothing.
    preferences().load(*this, *m_baseline, m_configFile, "search preferences");
}

void SearchSettings::save()
{
    if (m_configFile.isEmpty()) {
        return;
    }
    // Written when the file's QSettings goes out of scope, before this returns.
    preferences().save(*this, *m_baseline, m_configFile);
}
