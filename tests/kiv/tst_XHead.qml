import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XHead"
    width: 500
    height: 200
    visible: true
    when: windowShown

    Component {
        id: headComponent
        XHead { xtext: "Section"; xiconColor: "#ff0000" }
    }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function title(head) {
        const row = head.children[0]
        return row.children[2]
    }

    function test_defaults() {
        const head = createTemporaryObject(headComponent, testCase)
        compare(head.width, 400)
        compare(head.height, 32)
        compare(head.xiconType, 0)
        compare(head.xfontSize, 16)
        verify(!head.xlineVisible)
        verify(title(head).font.bold)
        const plain = createTemporaryQmlObject("import Kiv 1.0; XHead {}", testCase)
        sameColour(plain.xiconColor, XTheme.color_primary, "default marker")
    }

    function test_barMarker() {
        const head = createTemporaryObject(headComponent, testCase)
        const bar = findChild(head, "xheadBar")
        verify(bar.visible)
        compare(bar.width, 4)
        compare(bar.height, 16)
        compare(bar.y, 8)
        // Row spacing 10 after the 4-wide bar; the hidden triangle takes no room.
        compare(title(head).x, 14)
        waitForRendering(head)
        sameColour(grabImage(head).pixel(2, 16), "#ff0000", "bar drawn")
    }

    function test_triangleMarker() {
        const head = createTemporaryObject(headComponent, testCase, { xiconType: 1 })
        compare(title(head).x, 26)
        waitForRendering(head)
        const grab = grabImage(head)
        // Right angle at the bottom right of the 16 x 16 box at y = 8.
        sameColour(grab.pixel(14, 22), "#ff0000", "inside near the right angle")
        verify(!Qt.colorEqual(grab.pixel(2, 10), "#ff0000"), "outside, top left")
    }

    function test_noMarker() {
        const head = createTemporaryObject(headComponent, testCase, { xiconType: 2 })
        compare(title(head).x, 0)
        verify(!findChild(head, "xheadBar").visible)
        verify(!findChild(head, "xheadTriangle").visible)
    }

    function test_bottomLine() {
        const head = createTemporaryObject(headComponent, testCase, { xlineVisible: true, xiconType: 2 })
        waitForRendering(head)
        const grab = grabImage(head)
        for (const x of [0, 200, 399])
            sameColour(grab.pixel(x, 31), XTheme.border_color, "line at " + x)
        verify(!Qt.colorEqual(grab.pixel(200, 30), XTheme.border_color), "one pixel high")
    }

    function test_aliases() {
        const head = createTemporaryObject(headComponent, testCase, { xfontSize: 10, xtextWidth: 77 })
        compare(title(head).font.pointSize, 10)
        compare(title(head).width, 77)
        compare(title(head).text, "Section")
    }
}
