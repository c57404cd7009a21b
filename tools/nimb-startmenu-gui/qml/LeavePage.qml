// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.nimb.startmenu 1.0

// The power actions, with the icon of the system-update state, and the classic-menu switch.
Item {
    id: page

    property Item menu
    property string tab

    SessionActions {
        id: session
        onLaunchFailed: page.menu.showError(name, error)
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        Label {
            objectName: "updateMark"
            visible: UpdateMode.updateAvailable || UpdateMode.updateActive
            text: UpdateMode.updateActive ? qsTr("● An update is being installed") : qsTr("● An update is available")
            color: "darkorange"
            font.bold: true
            Accessible.name: text
        }

        Button {
            text: UpdateMode.updateAvailable || UpdateMode.updateActive ? qsTr("Update and restart") : qsTr("Restart")
            icon.name: UpdateMode.icon
            Accessible.name: text
            onClicked: session.restart()
        }

        Button {
            text: UpdateMode.updateAvailable || UpdateMode.updateActive ? qsTr("Update and shut down") : qsTr("Shut down")
            icon.name: UpdateMode.icon
            Accessible.name: text
            onClicked: session.shutDown()
        }

        Switch {
            objectName: "classicMenuSwitch"
            text: qsTr("Use the classic menu")
            Accessible.name: text
            checked: session.classicMenuEnabled
            onToggled: {
                session.classicMenuEnabled = checked;
                checked = Qt.binding(() => session.classicMenuEnabled);
            }
        }

        Item { Layout.fillHeight: true }
    }
}
