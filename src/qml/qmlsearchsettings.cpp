/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "qmlsearchsettings.h"

#include "configfile_p.h"
#include "configfilewatcher_p.h"

QmlSearchSettings::QmlSearchSettings(QObject *parent)
    : SearchSettings(parent)
{
    ConfigFileWatcher::watch(this,
                             ConfigFile::preferencesFolder(),
                             ConfigFile::preferencesPath(),
                             &QmlSearchSettings::autoRefresh,
                             &QmlSearchSettings::load,
                             &QmlSearchSettings::autoRefreshChanged);
}

template<typename T>
void QmlSearchSettings::assign(T (SearchSettings::*get)() const, void (SearchSettings::*set)(T), T value)
{
    if ((this->*get)() != value) {
        (this->*set)(value);
        Q_EMIT changed();
    }
}

void QmlSearchSettings::setIndexApplications(bool index)
{
    assign(&SearchSettings::indexApplications, &SearchSettings::setIndexApplications, index);
}

void QmlSearchSettings::setIndexSettings(bool index)
{
    assign(&SearchSettings::indexSettings, &SearchSettings::setIndexSettings, index);
}

void QmlSearchSettings::setIndexDocuments(bool index)
{
    assign(&SearchSettings::indexDocuments, &SearchSettings::setIndexDocuments, index);
}

void QmlSearchSettings::setIndexMedia(bool index)
{
    assign(&SearchSettings::indexMedia, &SearchSettings::setIndexMedia, index);
}

void QmlSearchSettings::setIndexArchives(bool index)
{
    assign(&SearchSettings::indexArchives, &SearchSettings::setIndexArchives, index);
}

void QmlSearchSettings::setIndexHelp(bool index)
{
    assign(&SearchSettings::indexHelp, &SearchSettings::setIndexHelp, index);
}

void QmlSearchSettings::setLimitIndexSize(bool limit)
{
    assign(&SearchSettings::limitIndexSize, &SearchSettings::setLimitIndexSize, limit);
}

void QmlSearchSettings::setIndexSizeLimit(qint64 limit)
{
    assign(&SearchSettings::indexSizeLimit, &SearchSettings::setIndexSizeLimit, limit);
}

void QmlSearchSettings::setIdleModeIndexing(bool idle)
{
    assign(&SearchSettings::idleModeIndexing, &SearchSettings::setIdleModeIndexing, idle);
}

bool QmlSearchSettings::autoRefresh() const
{
    return m_autoRefresh;
}

void QmlSearchSettings::setAutoRefresh(bool autoRefresh)
{
    if (m_autoRefresh == autoRefresh) {
        return;
    }
    m_autoRefresh = autoRefresh;
    Q_EMIT autoRefreshChanged();
}

void QmlSearchSettings::load()
{
    SearchSettings::load();
    // One signal for all nine: the setters of the base class do not tell which value changed.
    Q_EMIT changed();
}

void QmlSearchSettings::save()
{
    SearchSettings::save();
}
