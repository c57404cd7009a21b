// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15

ApplicationWindow {
    id: window

    width: 760
    height: 560
    visible: true
    title: qsTr("Start menu")

    // The search index is built once the menu is on screen, rather than at the first keystroke.
    property bool indexRequested: false
    onFrameSwapped: {
        if (!indexRequested) {
            indexRequested = true;
            Qt.callLater(menu.searchModel.prepare);
        }
    }

    StartMenu {
        id: menu
        anchors.fill: parent
        focus: true
        initialQuery: typeof startQuery === "string" ? startQuery : ""
        homePath: typeof userHome === "string" ? userHome : ""
        onCloseRequested: window.close()
    }
}
