/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "logging.h"
#include "startmenuutils.h"
#include "updatestate.h"

#include <QDBusConnection>
#include <QDBusMessage>

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
    const QDBusMessage call = QDBusMessage::createMethodCall(updateService, updateServicePath, updateService, activateMethod);
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::BlockWithGui);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qCDebug(LOG_GENERAL) << "update activation not started:" << reply.errorName() << reply.errorMessage();
    }
}
}
