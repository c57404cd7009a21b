/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_QMLBALOOMONITOR_H
#define NIMBSTARTMENU_QML_QMLBALOOMONITOR_H

#include <NimbStartMenu/baloomonitor.h>

/// BalooMonitor with the indexer's live state as QML properties.
class QmlBalooMonitor : public BalooMonitor
{
    Q_OBJECT
    Q_PROPERTY(QString filePath READ filePath NOTIFY changed)
    Q_PROPERTY(QString suspendState READ suspendState NOTIFY changed)
    Q_PROPERTY(bool balooRunning READ balooRunning NOTIFY changed)
    Q_PROPERTY(quint32 totalFiles READ totalFiles NOTIFY changed)
    Q_PROPERTY(quint32 filesIndexed READ filesIndexed NOTIFY changed)
    Q_PROPERTY(QString remainingTime READ remainingTime NOTIFY changed)
    Q_PROPERTY(int state READ state NOTIFY changed)
    Q_PROPERTY(QString stateString READ stateString NOTIFY changed)
    Q_PROPERTY(int completionPercentage READ completionPercentage NOTIFY changed)
    Q_PROPERTY(bool currentlyIndexing READ currentlyIndexing NOTIFY changed)

public:
    explicit QmlBalooMonitor(QObject *parent = nullptr);

    Q_INVOKABLE void toggleSuspendState();
    Q_INVOKABLE void startBaloo();

Q_SIGNALS:
    void changed();
};

#endif
