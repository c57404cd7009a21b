/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "qmlbalooctl.h"

QmlBalooCtl::QmlBalooCtl(QObject *parent)
    : BalooCtl(parent)
{
}

void QmlBalooCtl::enable()
{
    BalooCtl::enable();
}

void QmlBalooCtl::disable()
{
    BalooCtl::disable();
}

void QmlBalooCtl::suspend()
{
    BalooCtl::suspend();
}

void QmlBalooCtl::resume()
{
    BalooCtl::resume();
}

void QmlBalooCtl::purge()
{
    BalooCtl::purge();
}

void QmlBalooCtl::updateConfig()
{
    BalooCtl::updateConfig();
}
