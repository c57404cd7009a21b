/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_QMLSEARCHSETTINGS_H
#define NIMBSTARTMENU_QML_QMLSEARCHSETTINGS_H

#include <NimbStartMenu/searchsettings.h>

/**
 * SearchSettings with its preferences as QML properties. With @c autoRefresh on, it loads the file
 * again whenever another writer changes it, as MenuSettings does.
 */
class QmlSearchSettings : public SearchSettings
{
    Q_OBJECT
    Q_PROPERTY(bool indexApplications READ indexApplications WRITE setIndexApplications NOTIFY changed)
    Q_PROPERTY(bool indexSettings READ indexSettings WRITE setIndexSettings NOTIFY changed)
    Q_PROPERTY(bool indexDocuments READ indexDocuments WRITE setIndexDocuments NOTIFY changed)
    Q_PROPERTY(bool indexMedia READ indexMedia WRITE setIndexMedia NOTIFY changed)
    Q_PROPERTY(bool indexArchives READ indexArchives WRITE setIndexArchives NOTIFY changed)
    Q_PROPERTY(bool indexHelp READ indexHelp WRITE setIndexHelp NOTIFY changed)
    Q_PROPERTY(bool limitIndexSize READ limitIndexSize WRITE setLimitIndexSize NOTIFY changed)
    Q_PROPERTY(qint64 indexSizeLimit READ indexSizeLimit WRITE setIndexSizeLimit NOTIFY changed)
    Q_PROPERTY(bool idleModeIndexing READ idleModeIndexing WRITE setIdleModeIndexing NOTIFY changed)
    Q_PROPERTY(bool autoRefresh READ autoRefresh WRITE setAutoRefresh NOTIFY autoRefreshChanged)

public:
    explicit QmlSearchSettings(QObject *parent = nullptr);

    void setIndexApplications(bool index);
    void setIndexSettings(bool index);
    void setIndexDocuments(bool index);
    void setIndexMedia(bool index);
    void setIndexArchives(bool index);
    void setIndexHelp(bool index);
    void setLimitIndexSize(bool limit);
    void setIndexSizeLimit(qint64 limit);
    void setIdleModeIndexing(bool idle);

    bool autoRefresh() const;
    void setAutoRefresh(bool autoRefresh);

    Q_INVOKABLE void load();
    Q_INVOKABLE void save();

Q_SIGNALS:
    void changed();
    void autoRefreshChanged();

private:
    template<typename T>
    void assign(T (SearchSettings::*get)() const, void (SearchSettings::*set)(T), T value);

    bool m_autoRefresh = false;
};

#endif
