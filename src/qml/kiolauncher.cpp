/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "kiolauncher.h"

#include "treeformat_p.h"

#include <NimbStartMenu/nimbdesktopentry.h>

#include <KIO/ApplicationLauncherJob>
#include <KIO/CommandLauncherJob>
#include <KService>

#include <QCoreApplication>
#include <QFileInfo>

namespace
{
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
    const QString origin = QString::fromUtf8(entry.getUnknownValue(TreeFormat::originKey).c_str());
    return !origin.isEmpty() && QFileInfo(origin).isFile() ? origin : desktopFile;
}
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
