/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_UPDATEMODE_H
#define NIMBSTARTMENU_UPDATEMODE_H

#include "nimbstartmenu_export.h"

#include <QObject>
#include <QString>

/**
 * @class UpdateMode updatemode.h <NimbStartMenu/updatemode.h>
 *
 * Whether an operating-system update is available or being activated, kept up to date by watching
 * the update service's files, and the power icon that goes with it.
 */
class NIMBSTARTMENU_EXPORT UpdateMode : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool updateActive READ isUpdateActive NOTIFY isUpdateActiveChanged)
    Q_PROPERTY(bool updateAvailable READ isUpdateAvailable NOTIFY isUpdateAvailableChanged)
    Q_PROPERTY(QString icon READ icon NOTIFY iconChanged)

public:
    /// The process-wide object, created on the first call.
    static UpdateMode *instance();

    explicit UpdateMode(QObject *parent = nullptr);
    ~UpdateMode() override;

    bool isUpdateActive() const;
    bool isUpdateAvailable() const;

    /**
     * @return "system-shutdown-updates-activated-symbolic" while an update is being activated,
     *         else "system-shutdown-updates-available-symbolic" when one is available, else
     *         "start-menu-shutdown-symbolic"
     */
    QString icon() const;

    void setIsUpdateActive(bool active);
    void setIsUpdateAvailable(bool available);

Q_SIGNALS:
    void isUpdateActiveChanged();
    void isUpdateAvailableChanged();
    void iconChanged();

private:
    bool m_isUpdateActive = false;
    bool m_isUpdateAvailable = false;
};

#endif
