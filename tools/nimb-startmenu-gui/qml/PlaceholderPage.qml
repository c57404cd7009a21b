// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15

// The favorites, computer and recent tabs: their content lies outside the library.
Item {
    property Item menu
    property string tab

    Label {
        anchors.centerIn: parent
        text: qsTr("Nothing here yet")
        Accessible.name: text
    }
}
