// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15
import org.nimb.startmenu 1.0
import "../../tools/nimb-startmenu-gui/qml"

TestCase {
    id: testCase
    name: "StartMenu"
    width: 760
    height: 560
    // A test case is an invisible item; the menu's views need a visible one.
    visible: true
    when: windowShown

    Component {
        id: startMenu
        StartMenu {
            width: testCase.width
            height: testCase.height
        }
    }

    Component {
        id: settingsComponent
        MenuSettings {}
    }

    Component {
        id: categoriesComponent
        CategoriesModel {}
    }

    function createMenu() {
        testLauncher.reset();
        const menu = createTemporaryObject(startMenu, testCase);
        verify(menu);
        return menu;
    }

    function showTab(menu, tab) {
        menu.tabBar.currentIndex = menu.shownTabs.indexOf(tab);
        const loader = findChild(menu, "page-" + tab);
        tryVerify(() => loader.item !== null);
        return loader.item;
    }

    function type(text) {
        for (const character of text) {
            keyClick(character);
        }
    }

    function test_search_data() {
        return [
            {tag: "application by its name", query: "Abacus", first: "Abacus", started: "/abacus-calculator.desktop"},
            {tag: "settings module by its name", query: "glidepoint", first: "Glidepoint", started: "kcmshell5 kcm_demo_mouse"},
        ];
    }

    function test_search(data) {
        const menu = createMenu();
        verify(menu.searchField.activeFocus, "the search field has the focus at start");

        type(data.query);
        compare(menu.searchField.text, data.query);
        verify(menu.resultsView.visible);
        verify(menu.searchModel.count > 0);
        compare(menu.searchModel.get(0, "text"), data.first);
        compare(menu.resultsView.currentIndex, 0);

        keyClick(Qt.Key_Return);
        compare(testLauncher.started.length, 1);
        const target = menu.searchModel.get(0, "matchData");
        if (target.startsWith("kcm://")) {
            compare(testLauncher.started[0], data.started);
        } else {
            compare(testLauncher.started[0], fixture.localFile(target));
            verify(testLauncher.started[0].endsWith(data.started), testLauncher.started[0]);
        }
    }

    function test_keyboard() {
        const menu = createMenu();
        const closed = createTemporaryObject(signalSpyComponent, testCase, {target: menu, signalName: "closeRequested"});
        type("t");
        verify(menu.searchModel.count > 1);
        keyClick(Qt.Key_Down);
        compare(menu.resultsView.currentIndex, 1);
        keyClick(Qt.Key_Return);
        compare(testLauncher.started, [fixture.localFile(menu.searchModel.get(1, "matchData"))]);

        keyClick(Qt.Key_Escape);
        compare(menu.searchField.text, "");
        verify(menu.tabBar.visible);
        compare(closed.count, 0);
        keyClick(Qt.Key_Escape);
        compare(closed.count, 1);
    }

    function test_launchFailure_data() {
        return [
            {tag: "the launcher fails", query: "Abacus", failWith: "no such program", removeFile: false, error: "no such program"},
            {tag: "the desktop file is gone", query: "Tilefall", failWith: "", removeFile: true, error: "tilefall.desktop"},
        ];
    }

    function test_launchFailure(data) {
        const menu = createMenu();
        const failed = createTemporaryObject(signalSpyComponent, testCase, {target: menu.searchModel, signalName: "launchFailed"});
        testLauncher.failWith = data.failWith;
        type(data.query);
        compare(menu.searchModel.get(0, "text"), data.query);
        if (data.removeFile) {
            verify(fixture.removeFile(fixture.localFile(menu.searchModel.get(0, "matchData"))));
            testLauncher.forward = true;
        }
        keyClick(Qt.Key_Return);
        failed.wait();
        compare(failed.signalArguments[0][0], data.query);
        verify(failed.signalArguments[0][1].indexOf(data.error) >= 0, failed.signalArguments[0][1]);
        // The menu shows the error.
        const shown = findChild(menu, "launchError");
        verify(shown.visible);
        verify(shown.text.indexOf(data.error) >= 0, shown.text);
    }

    Component {
        id: signalSpyComponent
        SignalSpy {}
    }

    function test_appsMode() {
        const menu = createMenu();
        menu.menuSettings.appsMode = "tree";
        const page = showTab(menu, "apps");
        tryVerify(() => page.categoriesView.currentItem !== null, 5000, "a category is chosen");
        verify(page.categoriesView.visible);
        const category = page.categoriesView.currentItem.categoryId;
        compare(page.applicationsModel.count, fixture.menuItemCount(category));
        verify(page.applicationsModel.count < fixture.menuItemCount(""));

        menu.menuSettings.appsMode = "list";
        verify(!page.categoriesView.visible);
        compare(page.applicationsModel.mode, "list");
        compare(page.applicationsModel.count, fixture.menuItemCount(""));
    }

    function test_droppedDesktopFile() {
        const menu = createMenu();
        menu.menuSettings.appsMode = "list";
        const page = showTab(menu, "apps");
        const model = page.applicationsModel;
        const name = "Dropped StartMenuQmlTest";
        verify(names(model).indexOf(name) < 0);

        fixture.installApplication("dropped-startmenuqmltest.desktop", "Dropped", "Utility;");
        tryVerify(() => names(model).indexOf(name) >= 0, 10000, "the new application appears in the model");
        // The search's index is built again with the tree.
        menu.searchModel.query = "Dropped";
        compare(menu.searchModel.get(0, "text"), name);
    }

    function test_preferenceSaved_data() {
        return [
            {tag: "menu preference", key: "enableRecent", settings: "menuSettings", section: 0},
            {tag: "search preference", key: "indexDocuments", settings: "searchSettings", section: 1},
        ];
    }

    function test_preferenceSaved(data) {
        const menu = createMenu();
        const settings = menu[data.settings];
        settings[data.key] = true;
        const page = showTab(menu, "params");
        findChild(page, "sections").currentIndex = data.section;
        const box = findChild(page, "preference-" + data.key);
        verify(box);
        verify(box.checked);

        box.forceActiveFocus();
        keyClick(Qt.Key_Space);
        verify(!box.checked);
        compare(settings[data.key], false);
        compare(fixture.configValue(data.key), "false");

        // Another writer's change shows in the box.
        verify(fixture.writeConfigValue(data.key, "true"));
        tryCompare(box, "checked", true);
    }

    function test_folders() {
        const menu = createMenu();
        const page = showTab(menu, "params");
        findChild(page, "sections").currentIndex = 2;
        const fileSearch = findChild(page, "fileSearchPage");
        tryVerify(() => fileSearch.item !== null);
        const folders = fileSearch.item.folders;
        const before = folders.count;
        const folder = fixture.home + "/Projects";

        const field = findChild(fileSearch.item, "newFolderField");
        field.forceActiveFocus();
        type(folder);
        keyClick(Qt.Key_Return);
        compare(folders.count, before + 1);
        compare(folders.pathAt(before), folder + "/");
        verify(fixture.indexedFolders().indexOf(folder + "/") >= 0, fixture.indexedFolders());

        const view = findChild(fileSearch.item, "folderView");
        view.currentIndex = before;
        mouseClick(findChild(fileSearch.item, "removeFolderButton"));
        compare(folders.count, before);
        verify(fixture.indexedFolders().indexOf(folder + "/") < 0, fixture.indexedFolders());
    }

    function names(model) {
        const result = [];
        for (let row = 0; row < model.count; ++row) {
            result.push(model.get(row, "display"));
        }
        return result;
    }

    function test_order() {
        const settings = createTemporaryObject(settingsComponent, testCase);
        const model = createTemporaryObject(categoriesComponent, testCase, {settings: settings});
        tryVerify(() => model.count > 1);
        const byName = names(model);
        compare(byName, byName.slice().sort(), "without a saved order, by name");

        verify(model.moveRow(model.count - 1, 0));
        const moved = [byName[byName.length - 1]].concat(byName.slice(0, -1));
        compare(names(model), moved);
        verify(!model.moveRow(0, model.count));

        const reopened = createTemporaryObject(categoriesComponent, testCase, {settings: settings});
        tryVerify(() => reopened.count === model.count);
        compare(names(reopened), moved, "the saved order outlives the model");

        settings.enableSortCategoriesAlphabatically = true;
        compare(names(reopened), byName, "the preference sorts by name alone");
    }

    function test_tabs() {
        const menu = createMenu();
        verify(menu.shownTabs.length > 0);
        for (const tab of menu.shownTabs) {
            const page = showTab(menu, tab);
            verify(page.visible, tab);
        }

        menu.menuSettings.defaultTab = "leave";
        menu.menuSettings.save();
        const reopened = createMenu();
        compare(reopened.shownTabs[reopened.tabBar.currentIndex], "leave");
        reopened.menuSettings.defaultTab = "apps";
        reopened.menuSettings.save();
    }

    // What a result's data cannot make the menu start: an option or a path for the settings tool,
    // or anything that is not a local desktop file.
    function test_refusedTarget_data() {
        return [
            {tag: "settings module named like an option", target: "kcm://--help"},
            {tag: "settings module named by a path", target: "kcm://../../bin/sh"},
            {tag: "settings module without a name", target: "kcm://"},
            {tag: "remote file", target: "https://example.org/app.desktop"},
            {tag: "relative path", target: "app.desktop"},
        ];
    }

    function test_refusedTarget(data) {
        testLauncher.reset();
        const failed = createTemporaryObject(signalSpyComponent, testCase, {target: fixture, signalName: "launchFailed"});
        fixture.launch(data.target);
        failed.wait();
        compare(testLauncher.started, []);
    }
}
