// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.nimb.startmenu 1.0

// The applications, in the mode of the preference appsMode: "tree" shows the categories beside the
// applications of the chosen one, any other mode all applications in one list.
Item {
    id: page

    property Item menu
    property string tab
    readonly property bool tree: menu && menu.menuSettings.appsMode === "tree"
    readonly property alias categoriesView: categoriesView
    readonly property alias applicationsView: applicationsView
    readonly property alias applicationsModel: applicationsModel

    RowLayout {
        anchors.fill: parent
        spacing: 6

        ListView {
            id: categoriesView
            objectName: "categoriesView"
            visible: page.tree
            Layout.preferredWidth: 220
            Layout.fillHeight: true
            clip: true
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            model: CategoriesModel {
                settings: page.menu ? page.menu.menuSettings : null
            }
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Categories")
            Keys.onRightPressed: applicationsView.forceActiveFocus()

            // The chosen category stays chosen when the tree is read again.
            property string selectedId: ""
            onCurrentItemChanged: if (currentItem) selectedId = currentItem.categoryId
            function restoreSelection() {
                for (let row = 0; row < count; ++row) {
                    if (model.get(row, "categoryId") === selectedId) {
                        currentIndex = row;
                        return;
                    }
                }
                currentIndex = count > 0 ? 0 : -1;
            }
            Connections {
                target: categoriesView.model
                function onModelReset() { categoriesView.restoreSelection(); }
            }

            delegate: ItemDelegate {
                readonly property string categoryId: model.categoryId
                width: ListView.view.width
                text: model.display
                icon.name: model.decoration
                highlighted: ListView.isCurrentItem
                Accessible.name: model.display
                Accessible.description: model.description
                onClicked: categoriesView.currentIndex = index
            }
        }

        ListView {
            id: applicationsView
            objectName: "applicationsView"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            model: ApplicationsModel {
                id: applicationsModel
                settings: page.menu ? page.menu.menuSettings : null
                mode: page.menu ? page.menu.menuSettings.appsMode : "tree"
                categoryId: categoriesView.currentItem ? categoriesView.currentItem.categoryId : ""
                onLaunchFailed: page.menu.showError(name, error)
            }
            Accessible.role: Accessible.List
            Accessible.name: qsTr("Applications")
            Keys.onReturnPressed: applicationsModel.run(currentIndex)
            Keys.onEnterPressed: applicationsModel.run(currentIndex)
            Keys.onLeftPressed: if (page.tree) categoriesView.forceActiveFocus()

            delegate: ItemDelegate {
                width: ListView.view.width
                text: model.display
                icon.name: model.decoration
                highlighted: ListView.isCurrentItem && applicationsView.activeFocus
                Accessible.name: model.display
                Accessible.description: model.description
                ToolTip.visible: hovered && page.menu.menuSettings.showTooltips && model.description !== ""
                ToolTip.text: model.description
                onClicked: applicationsModel.run(index)
            }
        }
    }
}
