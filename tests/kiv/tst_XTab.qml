import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XTab"
    width: 800
    height: 200
    visible: true
    when: windowShown

    Component {
        id: tabComponent
        XTab { xnames: ["Live", "Charts", "Tables"]; xitemWidth: 180 }
    }

    SignalSpy { id: indexSpy; signalName: "xcurrentIndexChanged" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function tabs(strip) {
        const list = strip.children[0]
        const out = []
        for (let i = 0; i < list.count; ++i)
            out.push(list.itemAtIndex(i))
        return out
    }

    // Tabs inset 4 from the strip, 4 apart: x = 4 + i * (180 + 4), y = 4, 32 high.
    function test_geometry() {
        const strip = createTemporaryObject(tabComponent, testCase)
        compare(strip.width, 800)
        compare(strip.height, 40)
        compare(strip.xcurrentIndex, 0)
        const t = tabs(strip)
        compare(t.length, 3)
        for (let i = 0; i < 3; ++i) {
            const p = t[i].mapToItem(strip, 0, 0)
            compare(p.x, 4 + i * 184)
            compare(p.y, 4)
            compare(t[i].width, 180)
            compare(t[i].height, 32)
            compare(t[i].radius, 4)
        }
        sameColour(strip.color, XTheme.background_color, "strip")
    }

    function test_clickAndHoverColours() {
        const strip = createTemporaryObject(tabComponent, testCase)
        indexSpy.target = strip
        indexSpy.clear()
        const t = tabs(strip)
        sameColour(t[0].color, XTheme.tab_colors4[2], "current")
        sameColour(t[0].children[0].color, XTheme.color_primary, "current caption")
        sameColour(t[1].color, XTheme.tab_colors4[0], "normal")
        sameColour(t[1].children[0].color, XTheme.text_color, "normal caption")
        compare(t[1].children[0].text, "Charts")
        mouseMove(t[2], 90, 16)
        tryVerify(() => Qt.colorEqual(t[2].color, XTheme.tab_colors4[1]))
        mouseClick(t[1], 90, 16)
        compare(strip.xcurrentIndex, 1)
        compare(indexSpy.count, 1)
        sameColour(t[1].color, XTheme.tab_colors4[2], "clicked is current")
        sameColour(t[0].color, XTheme.tab_colors4[0], "previous back to normal")
        strip.xcurrentIndex = 2
        sameColour(t[2].color, XTheme.tab_colors4[2], "set by the user")
    }
}
