import QtQuick
import Ostrel 1.0

// One tab: its four frames arranged by the tab's layout.
Item {
    id: root
    property var tab: null
    property var frameList: tab ? tab.frameList : []
    readonly property int cfg_space: 4
    property alias frame0: f0
    property alias frame1: f1
    property alias frame2: f2
    property alias frame3: f3

    anchors.fill: parent

    // Rectangles (x, y, width, height) of the four frames for each layout; null hides a frame.
    function rects(type, W, H) {
        const s = cfg_space
        const w2 = (W - s) / 2, h2 = (H - s) / 2
        switch (type) {
        case 0: return [[0, 0, W, H], null, null, null]
        case 1: return [[0, 0, W, h2], [0, h2 + s, W, h2], null, null]
        case 2: return [[0, 0, w2, H], [w2 + s, 0, w2, H], null, null]
        case 3: return [[0, 0, w2, h2], [w2 + s, 0, w2, h2], [0, h2 + s, w2, h2], [w2 + s, h2 + s, w2, h2]]
        case 4: return [[0, 0, w2, h2], [w2 + s, 0, w2, h2], [0, h2 + s, W, h2], null]
        case 5: return [[0, 0, W, h2], [0, h2 + s, w2, h2], [w2 + s, h2 + s, w2, h2], null]
        case 6: return [[0, 0, w2, H], [w2 + s, 0, w2, h2], [w2 + s, h2 + s, w2, h2], null]
        case 7: return [[0, 0, w2, h2], [w2 + s, 0, w2, H], [0, h2 + s, w2, h2], null]
        }
        return [null, null, null, null]
    }

    function layout() {
        if (!tab)
            return
        const r = rects(tab.layoutType, width, height)
        const frames = [f0, f1, f2, f3]
        for (let i = 0; i < 4; ++i) {
            if (r[i] === null) {
                frames[i].visible = false
                continue
            }
            frames[i].x = r[i][0]
            frames[i].y = r[i][1]
            frames[i].width = r[i][2]
            frames[i].height = r[i][3]
            frames[i].visible = true
        }
    }

    function module_deleteAll() {
        f0.module_deleteAll()
        f1.module_deleteAll()
        f2.module_deleteAll()
        f3.module_deleteAll()
    }

    onWidthChanged: layout()
    onHeightChanged: layout()
    Connections {
        target: root.tab
        function onLayoutTypeChanged() {
            console.log("onLayoutTypeChanged " + root.tab.layoutType)
            root.layout()
        }
    }
    Component.onCompleted: layout()

    FrameView { id: f0; objectName: "frame0"; frame: root.frameList.length > 0 ? root.frameList[0] : null }
    FrameView { id: f1; objectName: "frame1"; frame: root.frameList.length > 1 ? root.frameList[1] : null }
    FrameView { id: f2; objectName: "frame2"; frame: root.frameList.length > 2 ? root.frameList[2] : null }
    FrameView { id: f3; objectName: "frame3"; frame: root.frameList.length > 3 ? root.frameList[3] : null }
}
