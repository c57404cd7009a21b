/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "searchsettings.h"

#include "configvalues_p.h"
#include "logging.h"

#include <QSettings>

#include <memory>

namespace
{
const QString indexApplicationsKey = QStringLiteral("indexApplications");
const QString indexSettingsKey = QStringLiteral("indexSettings");
const QString indexDocumentsKey = QStringLiteral("indexDocuments");
const QString indexMediaKey = QStringLiteral("indexMedia");
const QString indexArchivesKey = QStringLiteral("indexArchives");
const QString indexHelpKey = QStringLiteral("indexHelp");
const QString limitIndexSizeKey = QStringLiteral("limitIndexSize");
const QString indexSizeLimitKey = QStringLiteral("indexSizeLimit");
const QString idleModeIndexingKey = QStringLiteral("idleModeIndexing");

// What save() writes, in its order.
ConfigValues::Entries storedValues(const SearchSettings &settings)
{
    return {
        {indexApplicationsKey, settings.indexApplications()},
        {indexSettingsKey, settings.indexSettings()},
        {indexDocumentsKey, settings.indexDocuments()},
        {indexMediaKey, settings.indexMedia()},
        {indexArchivesKey, settings.indexArchives()},
        {indexHelpKey, settings.indexHelp()},
        {limitIndexSizeKey, settings.limitIndexSize()},
        {indexSizeLimitKey, QVariant::fromValue<qint64>(settings.indexSizeLimit())},
        {idleModeIndexingKey, settings.idleModeIndexing()},
    };
}
}

SearchSettings::SearchSettings(QObject *parent)
    : QObject(parent)
    , m_baseline(std::make_unique<ConfigValues::Baseline>(storedValues(*this)))
{
}

SearchSettings::SearchSettings(const SearchSettings &other)
    : QObject(other.parent())
    , m_configFile()
    , m_indexApplications(other.m_indexApplications)
    , m_indexSettings(other.m_indexSettings)
    , m_indexDocuments(other.m_indexDocuments)
    , m_indexMedia(other.m_indexMedia)
    , m_indexArchives(other.m_indexArchives)
    , m_indexHelp(other.m_indexHelp)
    , m_limitIndexSize(other.m_limitIndexSize)
    , m_indexSizeLimit(other.m_indexSizeLimit)
    , m_idleModeIndexing(other.m_idleModeIndexing)
    , m_baseline(std::make_unique<ConfigValues::Baseline>(storedValues(*this)))
{
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
    return m_indexApplications == other.m_indexApplications && m_indexSettings == other.m_indexSettings && m_indexDocuments == other.m_indexDocuments
        && m_indexMedia == other.m_indexMedia && m_indexArchives == other.m_indexArchives && m_indexHelp == other.m_indexHelp
        && m_limitIndexSize == other.m_limitIndexSize && m_indexSizeLimit == other.m_indexSizeLimit && m_idleModeIndexing == other.m_idleModeIndexing;
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
    QSettings settings(m_configFile, QSettings::NativeFormat);
    // Nothing was read; QSettings reports a file that is damaged but readable as a format error and
    // still gives every value it could parse, and those are taken.
    if (settings.status() == QSettings::AccessError) {
        qCDebug(LOG_GENERAL) << "search preferences not loaded: cannot open" << m_configFile;
        return;
    }

    // The current value is the default, so a missing entry changes nothing.
    const auto readBool = [this, &settings](const QString &key, bool &value) {
        value = m_baseline->read(settings, key, value).toBool();
    };
    readBool(indexApplicationsKey, m_indexApplications);
    readBool(indexSettingsKey, m_indexSettings);
    readBool(indexDocumentsKey, m_indexDocuments);
    readBool(indexMediaKey, m_indexMedia);
    readBool(indexArchivesKey, m_indexArchives);
    readBool(indexHelpKey, m_indexHelp);
    readBool(limitIndexSizeKey, m_limitIndexSize);
    // At the width save() writes: through int, a limit beyond 2^31 - 1 came back as 0.
    m_indexSizeLimit = m_baseline->read(settings, indexSizeLimitKey, QVariant::fromValue<qint64>(m_indexSizeLimit)).toLongLong();
    readBool(idleModeIndexingKey, m_idleModeIndexing);
    m_baseline->hold(storedValues(*this));

    if (settings.status() != QSettings::NoError) {
        qCDebug(LOG_GENERAL) << "search preferences loaded from a damaged file" << m_configFile << settings.status();
    }
}

void SearchSettings::save()
{
    if (m_configFile.isEmpty()) {
        return;
    }
    QSettings settings(m_configFile, QSettings::NativeFormat);
    m_baseline->write(settings, storedValues(*this));
    settings.sync();
}
