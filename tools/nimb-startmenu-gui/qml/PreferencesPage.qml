// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// The preferences of the menu and of the search, saved on every change, and the file search.
Item {
    id: page

    property Item menu
    property string tab
    readonly property var settings: menu ? menu.menuSettings : null
    readonly property var search: menu ? menu.searchSettings : null

    // Published name, label. The sorting names are spelt as the menu's settings publish them.
    readonly property var menuSwitches: [
        ["enableFavorites", qsTr("Show the favorites tab")],
        ["enableComputer", qsTr("Show the computer tab")],
        ["enableRecent", qsTr("Show the recent tab")],
        ["enableSortCategoriesAlphabatically", qsTr("Sort categories alphabetically")],
        ["enableSortAppsAlphabatically", qsTr("Sort applications alphabetically")],
        ["showLastLoginInfo", qsTr("Show the last login")],
        ["askConfirmation", qsTr("Ask before leaving")],
        ["enableAnimation", qsTr("Animate")],
        ["showTooltips", qsTr("Show tooltips")],
        ["showClassicMenu", qsTr("Offer the classic menu")],
        ["enableDebug", qsTr("Write a debug log")],
    ]
    readonly property var searchSwitches: [
        ["indexApplications", qsTr("Search applications")],
        ["indexSettings", qsTr("Search settings")],
        ["indexDocuments", qsTr("Search documents")],
        ["indexMedia", qsTr("Search pictures, music and videos")],
        ["indexArchives", qsTr("Search archives")],
        ["indexHelp", qsTr("Search help")],
        ["limitIndexSize", qsTr("Limit the size of the file index")],
        ["idleModeIndexing", qsTr("Index only when the computer is idle")],
    ]

    // Writes the value the user chose and saves; the box then follows the settings again, so that
    // another writer's change shows.
    component PreferenceBox: CheckBox {
        property var target
        property string key
        objectName: "preference-" + key
        Accessible.name: text
        checked: target ? target[key] : false
        onToggled: {
            target[key] = checked;
            target.save();
            checked = Qt.binding(() => target ? target[key] : false);
        }
    }

    ColumnLayout {
        anchors.fill: parent

        TabBar {
            id: sections
            objectName: "sections"
            Layout.fillWidth: true
            Accessible.name: qsTr("Preference sections")
            TabButton { text: qsTr("Menu"); Accessible.name: text }
            TabButton { text: qsTr("Search"); Accessible.name: text }
            TabButton { text: qsTr("File search"); Accessible.name: text }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: sections.currentIndex

            ScrollView {
                clip: true
                ColumnLayout {
                    RowLayout {
                        Label { text: qsTr("Applications as") }
                        ComboBox {
                            objectName: "appsModeBox"
                            model: ["tree", "list"]
                            Accessible.name: qsTr("Applications as")
                            currentIndex: page.settings ? Math.max(0, model.indexOf(page.settings.appsMode)) : 0
                            onActivated: {
                                page.settings.appsMode = model[index];
                                page.settings.save();
                            }
                        }
                    }
                    RowLayout {
                        Label { text: qsTr("Open first") }
                        ComboBox {
                            objectName: "defaultTabBox"
                            model: page.settings ? page.settings.tabs : []
                            displayText: page.menu ? page.menu.tabTitle(currentText) : currentText
                            Accessible.name: qsTr("Open first")
                            currentIndex: page.settings ? model.indexOf(page.settings.defaultTab) : -1
                            onActivated: {
                                page.settings.defaultTab = model[index];
                                page.settings.save();
                            }
                        }
                    }
                    Repeater {
                        model: page.menuSwitches
                        PreferenceBox {
                            target: page.settings
                            key: modelData[0]
                            text: modelData[1]
                        }
                    }
                }
            }

            ScrollView {
                clip: true
                ColumnLayout {
                    Repeater {
                        model: page.searchSwitches
                        PreferenceBox {
                            target: page.search
                            key: modelData[0]
                            text: modelData[1]
                        }
                    }
                    RowLayout {
                        Label { text: qsTr("Index size limit (MB)") }
                        SpinBox {
                            objectName: "indexSizeLimitBox"
                            from: 0
                            to: 1000000
                            editable: true
                            enabled: page.search ? page.search.limitIndexSize : false
                            Accessible.name: qsTr("Index size limit in megabytes")
                            value: page.search ? page.search.indexSizeLimit : 0
                            onValueModified: {
                                page.search.indexSizeLimit = value;
                                page.search.save();
                            }
                        }
                    }
                }
            }

            Loader {
                objectName: "fileSearchPage"
                active: sections.currentIndex === 2 || status === Loader.Ready
                source: "FileSearchPage.qml"
            }
        }
    }
}
