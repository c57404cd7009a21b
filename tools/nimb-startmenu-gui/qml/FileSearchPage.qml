// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.nimb.startmenu 1.0

// The file indexer: its state and progress, its controls, and the folders it indexes.
ColumnLayout {
    id: page

    readonly property alias folders: folders

    BalooMonitor { id: monitor }
    BalooCtl { id: control }
    FolderTableModel { id: folders }

    Label {
        objectName: "indexerState"
        text: monitor.balooRunning ? qsTr("File indexer: %1").arg(monitor.stateString) : qsTr("File indexer: not running")
        Accessible.name: text
    }
    ProgressBar {
        Layout.fillWidth: true
        from: 0
        to: 100
        value: monitor.completionPercentage
        Accessible.name: qsTr("Indexing progress")
    }
    Label {
        visible: monitor.currentlyIndexing
        text: qsTr("%1 of %2 files, %3 left").arg(monitor.filesIndexed).arg(monitor.totalFiles).arg(monitor.remainingTime)
        Accessible.name: text
    }
    RowLayout {
        Button { text: qsTr("Enable"); Accessible.name: text; onClicked: control.enable() }
        Button { text: qsTr("Disable"); Accessible.name: text; onClicked: control.disable() }
        Button {
            text: monitor.state === 1 ? qsTr("Resume") : qsTr("Suspend")
            Accessible.name: text
            onClicked: monitor.state === 1 ? control.resume() : control.suspend()
        }
    }

    Label { text: qsTr("Folders"); font.bold: true }
    ListView {
        id: folderView
        objectName: "folderView"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        model: folders
        activeFocusOnTab: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        Accessible.role: Accessible.List
        Accessible.name: qsTr("Indexed folders")
        delegate: ItemDelegate {
            width: ListView.view.width
            highlighted: ListView.isCurrentItem
            enabled: !model.immutable
            text: model.display + "  —  " + model.status
            icon.name: model.decoration
            Accessible.name: model.display + ", " + model.status
            ToolTip.visible: hovered
            ToolTip.text: model.toolTip
            onClicked: folderView.currentIndex = index
        }
    }
    RowLayout {
        TextField {
            id: newFolder
            objectName: "newFolderField"
            Layout.fillWidth: true
            placeholderText: qsTr("Folder to add")
            Accessible.name: qsTr("Folder to add")
            onAccepted: addButton.clicked()
        }
        CheckBox { id: newIncluded; text: qsTr("Index it"); checked: true; Accessible.name: text }
        Button {
            id: addButton
            text: qsTr("Add")
            Accessible.name: text
            enabled: newFolder.text.length > 0
            onClicked: {
                folders.addFolder(newFolder.text, newIncluded.checked);
                folders.save();
                newFolder.clear();
            }
        }
        Button {
            objectName: "removeFolderButton"
            text: qsTr("Remove")
            Accessible.name: text
            enabled: folderView.currentIndex >= 0
            onClicked: {
                folders.removeFolder(folders.pathAt(folderView.currentIndex));
                folders.save();
            }
        }
    }
}
