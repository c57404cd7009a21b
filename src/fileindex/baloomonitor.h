/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_BALOOMONITOR_H
#define NIMBSTARTMENU_BALOOMONITOR_H

#include "nimbstartmenu_export.h"

#include <QObject>
#include <QString>
#include <QVariant>

class QQmlComponent;
class QQmlEngine;

/**
 * @class BalooMonitor baloomonitor.h <NimbStartMenu/baloomonitor.h>
 *
 * The live state of the Baloo file indexer, read from Baloo's own QML monitor
 * (Baloo.Monitor of "org.kde.baloo.experimental" 0.1) in a private QML engine. Every reader asks the
 * monitor at the moment of the call; the monitor's change signals are re-emitted.
 *
 * Without the QML module the readers give empty strings, false and 0 (state "Idle") and the
 * signals never come.
 */
class NIMBSTARTMENU_EXPORT BalooMonitor : public QObject
{
    Q_OBJECT

public:
    explicit BalooMonitor(QObject *parent = nullptr);
    ~BalooMonitor() override;

    /// The file being indexed.
    QString filePath() const;
    /// What toggleSuspendState() would do, as the monitor words it ("Suspend" or "Resume").
    QString suspendState() const;
    bool balooRunning() const;
    quint32 totalFiles() const;
    quint32 filesIndexed() const;
    /// The estimated time left, as readable text.
    QString remainingTime() const;
    /// The indexer's state, 0 ("Idle") to 11 ("Startup"); see stateString().
    int state() const;

    /// @return filesIndexed() as a whole percentage of totalFiles(), truncated, at most 100; 0 without files
    int completionPercentage() const;
    /// @return true while the indexer works through files (states "First run" to "Stale index entries clean")
    bool currentlyIndexing() const;
    /// @return the translated name of state(); "Unknown" for a state outside the known ones
    QString stateString() const;

    /// Suspends a running indexer, or resumes a suspended one.
    void toggleSuspendState();
    /// Starts the indexer.
    void startBaloo();

Q_SIGNALS:
    void newFileIndexed();
    void balooStateChanged();
    void totalFilesChanged();
    void remainingTimeChanged();
    void indexerStateChanged();

private:
    QVariant read(const char *property) const;
    void invoke(const char *method);

    QQmlEngine *m_engine = nullptr;
    QQmlComponent *m_component = nullptr;
    QObject *m_monitor = nullptr;
};

#endif
