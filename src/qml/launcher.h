/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_QML_LAUNCHER_H
#define NIMBSTARTMENU_QML_LAUNCHER_H

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

/**
 * Starts what the start menu's models run: the application of a desktop file, or a command.
 *
 * Both calls return at once; a launch that fails calls @p failed later, in the event loop, with a
 * text for the user, and only if @p context still exists. The models use current(), which is a
 * KIO launcher unless setCurrent() put another in (the tests put in one that starts nothing).
 */
class Launcher
{
public:
    using Failure = std::function<void(const QString &error)>;

    virtual ~Launcher();

    virtual void startApplication(const QString &desktopFile, QObject *context, const Failure &failed) = 0;
    virtual void startCommand(const QString &program, const QStringList &arguments, QObject *context, const Failure &failed) = 0;

    static Launcher *current();
    /// @p launcher is not owned; nullptr restores the KIO launcher.
    static void setCurrent(Launcher *launcher);

    /// Calls @p failed with @p error in the event loop, if @p context still exists then.
    static void failLater(QObject *context, const Failure &failed, const QString &error);
};

namespace StartMenuQml
{
/**
 * Runs a search result or a menu item by its data: "kcm://NAME" opens the settings module NAME with
 * "kcmshell5 NAME", a file URL or a path starts the desktop file's application. Anything else fails.
 */
void launch(const QString &target, QObject *context, const Launcher::Failure &failed);
}

#endif
