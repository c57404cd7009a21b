// SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
// SPDX-License-Identifier: LGPL-2.1-or-later

import QtQuick 2.15
import QtTest 1.15
import org.nimb.startmenu 1.0

// The module as an application imports it: through its qmldir and plug-in, not registered by hand.
TestCase {
    id: testCase
    name: "Module"

    function test_creatable_data() {
        return ["MenuSettings", "SearchSettings", "BalooCtl", "FolderTableModel", "SessionActions"].map(type => ({tag: type, type: type}));
    }

    function test_creatable(data) {
        const object = Qt.createQmlObject("import org.nimb.startmenu 1.0; " + data.type + " {}", testCase);
        verify(object);
        object.destroy();
    }

    function test_singleton() {
        verify(UpdateMode.icon.length > 0);
        compare(typeof UpdateMode.updateAvailable, "boolean");
    }
}
