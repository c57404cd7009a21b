/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "launcher.h"

#include <NimbStartMenu/nimbdesktopentry.h>

#include <KIO/ApplicationLauncherJob>
#include <KIO/CommandLauncherJob>
#include <KService>

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace
{
Launcher *&installed()
{
    static Launcher *launcher = nullptr;
    return launcher;
}

void failLater(QObject *context, const Launcher::Failure &failed, const QString &error)
{
    QTimer::singleShot(0, context, [failed, error] {
        failed(error);
    });
}

void reportResult(KJob *job, QObject *context, const Launcher::Failure &failed)
{
    QObject::connect(job, &KJob::result, context, [failed](KJob *job) {
        if (job->error() != 0) {
            failed(job->errorString());
        }
    });
    job->start();
}

// A menu item is a copy that names its source: the source is the file the desktop trusts (it lies in
// an application folder), the copy in the menu tree is not.
QString sourceOf(const QString &desktopFile)
{
    const NimbDesktopEntry entry(QFile::encodeName(desktopFile).toStdString());
    const QString origin = QString::fromUtf8(entry.getUnknownValue("X-Nimb-OriginFile").c_str());
    return !origin.isEmpty() && QFileInfo(origin).isFile() ? origin : desktopFile;
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

void KioLauncher::startApplication(const QString &desktopFile, QObject *context, const Failure &failed)
{
    const QString source = sourceOf(desktopFile);
    KService::Ptr service(new KService(source));
    if (!service->isValid()) {
        failLater(context, failed, QCoreApplication::translate("Launcher", "%1 is not an application's desktop file.").arg(source));
        return;
    }
    reportResult(new KIO::ApplicationLauncherJob(service), context, failed);
}

void KioLauncher::startCommand(const QString &program, const QStringList &arguments, QObject *context, const Failure &failed)
{
    reportResult(new KIO::CommandLauncherJob(program, arguments), context, failed);
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
            failLater(context, failed, QCoreApplication::translate("Launcher", "\"%1\" does not name a settings module.").arg(module));
            return;
        }
        Launcher::current()->startCommand(QStringLiteral("kcmshell5"), {module}, context, failed);
        return;
    }
    const QUrl url(target);
    const QString path = url.isLocalFile() ? url.toLocalFile() : target;
    if (!path.startsWith(QLatin1Char('/'))) {
        failLater(context, failed, QCoreApplication::translate("Launcher", "Nothing to start for \"%1\".").arg(target));
        return;
    }
    Launcher::current()->startApplication(path, context, failed);
}
}
