/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "launcher.h"

#include "kiolauncher.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>

namespace
{
Launcher *&installed()
{
    static Launcher *launcher = nullptr;
    return launcher;
}

const QString kcmScheme = QStringLiteral("kcm://");
}

Launcher::~Launcher() = default;

Launcher *Launcher::current()
{
    static KioLauncher kio;
    return installed() ? installed() : &kio;
}

void Launcher::setCurrent(Launcher *launcher)
{
    installed() = launcher;
}

void Launcher::failLater(QObject *context, const Failure &failed, const QString &error)
{
    QTimer::singleShot(0, context, [failed, error] {
        failed(error);
    });
}

namespace StartMenuQml
{
void launch(const QString &target, QObject *context, const Launcher::Failure &failed)
{
    if (target.startsWith(kcmScheme)) {
        const QString module = target.mid(kcmScheme.size());
        // The name becomes an argument of its own, never shell text; one that could be read as an
        // option or a path is refused.
        if (module.isEmpty() || module.startsWith(QLatin1Char('-')) || module.contains(QLatin1Char('/'))) {
            Launcher::failLater(context, failed, QCoreApplication::translate("Launcher", "\"%1\" does not name a settings module.").arg(module));
            return;
        }
        Launcher::current()->startCommand(QStringLiteral("kcmshell5"), {module}, context, failed);
        return;
    }
    const QUrl url(target);
    const QString path = url.isLocalFile() ? url.toLocalFile() : target;
    if (!path.startsWith(QLatin1Char('/'))) {
        Launcher::failLater(context, failed, QCoreApplication::translate("Launcher", "Nothing to start for \"%1\".").arg(target));
        return;
    }
    Launcher::current()->startApplication(path, context, failed);
}
}
