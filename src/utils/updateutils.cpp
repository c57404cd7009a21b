/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "logging.h"
#include "startmenuutils.h"
#include "updatestate.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

namespace
{
// The codes of TalvoUpdateState::UpdateState::getCurrentState(); any other means no update.
enum UpdateCode {
    MinorUpdateAvailable = 1,
    MinorUpdateActivating = 2,
    MajorUpdateAvailable = 3,
    MajorUpdateActivating = 4,
};

// The service names its interface as itself.
const QString updateService = QStringLiteral("quorvex.nimb.talvoupdateservice");
const QString updateServicePath = QStringLiteral("/quorvex/nimb/talvoupdateservice");
const QString activateMethod = QStringLiteral("enableAndStartActivatingService");

bool currentStateIs(UpdateCode code)
{
    return TalvoUpdateState::UpdateState::getCurrentState() == code;
}
}

namespace StartMenuUtils
{
bool isMinorUpdateAvailable()
{
    return currentStateIs(MinorUpdateAvailable);
}

bool isMajorUpdateAvailable()
{
    return currentStateIs(MajorUpdateAvailable);
}

bool isUpdateAvailable()
{
    return isMinorUpdateAvailable() || isMajorUpdateAvailable();
}

bool isMinorUpdateActive()
{
    return currentStateIs(MinorUpdateActivating);
}

bool isMajorUpdateActive()
{
    return currentStateIs(MajorUpdateActivating);
}

bool isUpdateActive()
{
    return isMinorUpdateActive() || isMajorUpdateActive();
}

void activateAvailableUpdate()
{
    // A plain method call rather than a QDBusInterface: constructing the interface asks the service
    // to describe itself first, with a call that blocks without running the event loop, so a hung
    // service would freeze the start menu for the whole D-Bus timeout.
    //
    // Nor QDBus::BlockWithGui: Qt 5 checks for the reply and only then installs what would end the
    // wait, without a lock, so a reply that arrives in between is missed and the caller waits
    // forever, the call's timeout gone with its reply. The watcher does both under the call's lock
    // and reports a reply that came first, so this local loop ends on the reply or the timeout.
    const QDBusMessage call = QDBusMessage::createMethodCall(updateService, updateServicePath, updateService, activateMethod);
    QDBusPendingCallWatcher watcher(QDBusConnection::systemBus().asyncCall(call));
    // Without a bus the call is finished at once, and no signal would come.
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    if (watcher.isError()) {
        qCDebug(LOG_GENERAL) << "update activation not started:" << watcher.error().name() << watcher.error().message();
    }
}
}
