// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.nimb.startmenu 1.0

// The whole menu: the search field on top, then either the results or the tabs the preferences name.
FocusScope {
    id: root

    property string initialQuery: ""
    // Paths below it are shown from "~".
    property string homePath: ""
    readonly property alias searchField: searchField
    readonly property alias resultsView: resultsView
    readonly property alias searchModel: searchModel
    readonly property alias tabBar: tabBar
    readonly property var shownTabs: menuSettings.tabs.filter(name => pageFor(name) !== "")

    property MenuSettings menuSettings: MenuSettings {
        // Another writer's change (the command-line tool, a second menu) shows at once.
        autoRefresh: true
    }
    property SearchSettings searchSettings: SearchSettings {
        autoRefresh: true
    }

    signal closeRequested()

    function pageFor(tab) {
        const pages = {
            "apps": "AppsPage.qml", "gridapps": "AppsPage.qml",
            "favorites": "PlaceholderPage.qml", "gridfavorites": "PlaceholderPage.qml",
            "computer": "PlaceholderPage.qml", "gridcomputer": "PlaceholderPage.qml",
            "recent": "PlaceholderPage.qml", "gridrecent": "PlaceholderPage.qml",
            "params": "PreferencesPage.qml", "gridparams": "PreferencesPage.qml",
            "leave": "LeavePage.qml",
        };
        return pages[tab] || "";
    }

    function tabTitle(tab) {
        const titles = {
            "apps": qsTr("Applications"), "favorites": qsTr("Favorites"), "computer": qsTr("Computer"),
            "recent": qsTr("Recent"), "params": qsTr("Preferences"), "leave": qsTr("Leave"),
        };
        return titles[tab.replace(/^grid/, "")] || tab;
    }

    function showError(name, error) {
        errorLabel.text = qsTr("Could not start %1: %2").arg(name).arg(error);
        errorBar.visible = true;
    }

    Component.onCompleted: {
        menuSettings.load();
        searchSettings.load();
        tabBar.currentIndex = Math.max(0, shownTabs.indexOf(menuSettings.defaultTab));
        searchField.text = initialQuery;
        searchField.forceActiveFocus();
    }

    SearchModel {
        id: searchModel
        query: searchField.text
        onLaunchFailed: root.showError(name, error)
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 6

        TextField {
            id: searchField
            objectName: "searchField"
            Layout.fillWidth: true
            focus: true
            placeholderText: qsTr("Search applications and settings")
            Accessible.name: qsTr("Search")
            Accessible.description: qsTr("Type to search; arrow keys choose a result, Enter starts it, Escape clears")

            Keys.onDownPressed: resultsView.incrementCurrentIndex()
            Keys.onUpPressed: resultsView.decrementCurrentIndex()
            Keys.onReturnPressed: resultsView.runCurrent()
            Keys.onEnterPressed: resultsView.runCurrent()
            Keys.onEscapePressed: {
                if (text.length > 0) {
                    clear();
                } else {
                    root.closeRequested();
                }
            }
        }

        Pane {
            id: errorBar
            visible: false
            Layout.fillWidth: true
            RowLayout {
                anchors.fill: parent
                Label {
                    id: errorLabel
                    objectName: "launchError"
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                    color: "firebrick"
                    Accessible.role: Accessible.AlertMessage
                    Accessible.name: text
                }
                ToolButton {
                    text: qsTr("Dismiss")
                    Accessible.name: text
                    onClicked: errorBar.visible = false
                }
            }
        }

        ListView {
            id: resultsView
            objectName: "resultsView"
            visible: searchField.text.length > 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: searchModel
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Search results")

            function runCurrent() {
                if (currentIndex >= 0) {
                    searchModel.run(currentIndex);
                }
            }

            // A new query starts again from its best result.
            Connections {
                target: searchModel
                function onModelReset() { resultsView.currentIndex = searchModel.count > 0 ? 0 : -1; }
            }

            delegate: ItemDelegate {
                width: ListView.view.width
                highlighted: ListView.isCurrentItem
                text: model.text
                icon.name: model.iconName
                Accessible.name: model.text
                Accessible.description: model.subtext
                contentItem: ColumnLayout {
                    spacing: 0
                    Label { text: model.text; font.bold: true; elide: Text.ElideRight; Layout.fillWidth: true }
                    Label {
                        text: root.homePath !== "" && model.subtext.startsWith(root.homePath + "/") ? "~" + model.subtext.slice(root.homePath.length) : model.subtext
                        opacity: 0.7
                        elide: Text.ElideMiddle
                        Layout.fillWidth: true
                        font.pointSize: 8
                    }
                }
                onClicked: searchModel.run(index)
            }

            Label {
                anchors.centerIn: parent
                visible: searchModel.count === 0
                text: qsTr("Nothing found")
            }
        }

        TabBar {
            id: tabBar
            objectName: "tabBar"
            visible: !resultsView.visible
            Layout.fillWidth: true
            Accessible.name: qsTr("Menu sections")

            Repeater {
                model: root.shownTabs
                TabButton {
                    text: root.tabTitle(modelData)
                    Accessible.name: text
                }
            }
        }

        StackLayout {
            id: pages
            visible: !resultsView.visible
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: tabBar.currentIndex

            Repeater {
                model: root.shownTabs
                Loader {
                    objectName: "page-" + modelData
                    source: root.pageFor(modelData)
                    active: pages.currentIndex === index || status === Loader.Ready
                    onLoaded: {
                        item.menu = root;
                        item.tab = modelData;
                    }
                }
            }
        }
    }
}
