/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "indexer.h"

// PLACEHOLDER until the index lands.
Indexer::Indexer(QObject *parent)
    : QObject(parent)
{
}

Indexer::~Indexer() = default;
