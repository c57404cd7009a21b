/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "qmlbaloomonitor.h"

QmlBalooMonitor::QmlBalooMonitor(QObject *parent)
    : BalooMonitor(parent)
{
    for (auto signal : {&BalooMonitor::newFileIndexed,
                        &BalooMonitor::balooStateChanged,
                        &BalooMonitor::totalFilesChanged,
                        &BalooMonitor::remainingTimeChanged,
                        &BalooMonitor::indexerStateChanged}) {
        connect(this, signal, this, &QmlBalooMonitor::changed);
    }
}

void QmlBalooMonitor::toggleSuspendState()
{
    BalooMonitor::toggleSuspendState();
}

void QmlBalooMonitor::startBaloo()
{
    BalooMonitor::startBaloo();
}
