/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_BALOOCTL_H
#define NIMBSTARTMENU_BALOOCTL_H

#include "nimbstartmenu_export.h"

#include <QObject>
#include <QString>

/**
 * @class BalooCtl balooctl.h <NimbStartMenu/balooctl.h>
 *
 * Switches and steers the Baloo file indexer through its command-line tool "balooctl" (looked up in
 * the search path) and its D-Bus service "org.kde.baloo" on the session bus. Keeps no state.
 *
 * The sub-commands start the tool detached, with the caller's environment, and return at once;
 * whether it ran is not examined.
 */
class NIMBSTARTMENU_EXPORT BalooCtl : public QObject
{
    Q_OBJECT

public:
    explicit BalooCtl(QObject *parent = nullptr);
    ~BalooCtl() override;

    /// Runs "balooctl enable".
    void enable();
    /// Runs "balooctl disable".
    void disable();
    /// Runs "balooctl suspend".
    void suspend();
    /// Runs "balooctl resume".
    void resume();
    /// Runs "balooctl purge".
    void purge();

    /**
     * Asks the running indexer to re-read its configuration (for instance after BalooSettings was
     * saved). Does not wait for an answer; nothing happens when the indexer is not running.
     */
    void updateConfig();

    /**
     * Runs "balooctl status" with LANG=C, waits at most half a second for it and reads its report
     * with progressFromStatus().
     *
     * Blocks the calling thread while the tool runs.
     *
     * @return the percentage of indexed files whose content is indexed; 100 when the tool fails,
     *         takes too long, exits with a non-zero code or prints more than a status report
     */
    int progress();

    /**
     * Reads the content-indexing progress from the report of "balooctl status" (in the "C"
     * locale): the last "Total files indexed: N" and "Files waiting for content indexing: M" lines
     * give floor((N - M) / N * 100).
     *
     * @param statusReport the tool's standard output, lines separated by line feeds
     * @return the percentage, between 0 and 100; 100 when either line is missing, a count is not
     *         a non-negative whole number, or N is 0
     */
    static int progressFromStatus(const QString &statusReport);
};

#endif
