/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_SESSIONACTIONS_H
#define NIMBSTARTMENU_QML_SESSIONACTIONS_H

#include <QObject>

/**
 * The power actions and the classic-menu switch. restart() and shutDown() run the action's desktop
 * entry of "/usr/share/nimb-start-menu/actions" that fits the system-update state of UpdateMode:
 * the plain one, the one that installs an available update, or the one that finishes an update
 * being activated.
 */
class SessionActions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool classicMenuEnabled READ classicMenuEnabled WRITE setClassicMenuEnabled NOTIFY classicMenuEnabledChanged)

public:
    explicit SessionActions(QObject *parent = nullptr);

    bool classicMenuEnabled() const;
    /// Switches through the window manager's tool; the property then shows what the tool did.
    void setClassicMenuEnabled(bool enabled);

    Q_INVOKABLE void restart();
    Q_INVOKABLE void shutDown();

    /// The desktop entry of the power action @p action ("reboot" or "shutdown") for the current state.
    Q_INVOKABLE QString actionFile(const QString &action) const;

Q_SIGNALS:
    void classicMenuEnabledChanged();
    void launchFailed(const QString &name, const QString &error);

private:
    void run(const QString &action);
};

#endif
