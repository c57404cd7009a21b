/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_QMLBALOOCTL_H
#define NIMBSTARTMENU_QML_QMLBALOOCTL_H

#include <NimbStartMenu/balooctl.h>

/// BalooCtl with its commands invokable from QML.
class QmlBalooCtl : public BalooCtl
{
    Q_OBJECT

public:
    explicit QmlBalooCtl(QObject *parent = nullptr);

    Q_INVOKABLE void enable();
    Q_INVOKABLE void disable();
    Q_INVOKABLE void suspend();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void purge();
    Q_INVOKABLE void updateConfig();
};

#endif
