import QtQuick

// Sends an image module's stretch settings to its picture once per change burst. Stored
// settings loaded into imageConfig when the input opens reach the picture only through
// applyImageConfig, so the picture shows what the settings popups show rather than the default
// stretch.
QtObject {
    id: root
    property var module: null
    readonly property var imageConfig: module ? module.imageConfig : null
    property bool _applyPending: false

    function scheduleApply() {
        if (_applyPending)
            return
        _applyPending = true
        Qt.callLater(root.applyNow)
    }
    function applyNow() {
        _applyPending = false
        if (root.module)
            root.module.applyImageConfig()
    }

    property Connections _connections: Connections {
        target: root.imageConfig
        function onStrechTypeChanged() { root.scheduleApply() }
        function onGainChanged() { root.scheduleApply() }
        function onMan_enableChanged() { root.scheduleApply() }
        function onMan_temp0Changed() { root.scheduleApply() }
        function onMan_temp1Changed() { root.scheduleApply() }
    }
}
