import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "FGBGBO"
    width: 200
    height: 100
    visible: true
    when: windowShown

    FGBGBO {
        id: custom
        fg: ["#010101", "#020202", "#030303", "#040404"]
        bg: ["#111111", "#121212", "#131313", "#141414"]
        bo: ["#212121", "#222222", "#232323", "#242424"]
    }
    FGBGBO { id: empty }
    XButton { id: button; x: 10; y: 10; _xfgbgbo: custom }

    function test_emptyByDefault() {
        compare(empty.fg.length, 0)
        compare(empty.bg.length, 0)
        compare(empty.bo.length, 0)
    }

    // The list index is the visual state: 0 normal ... 3 disabled.
    function test_indexedByState() {
        verify(Qt.colorEqual(button._xcolor, "#010101"))
        verify(Qt.colorEqual(button._xbgcolor, "#111111"))
        verify(Qt.colorEqual(button._xbocolor, "#212121"))
        button.enabled = false
        verify(Qt.colorEqual(button._xcolor, "#040404"))
        verify(Qt.colorEqual(button._xbgcolor, "#141414"))
        verify(Qt.colorEqual(button._xbocolor, "#242424"))
        button.enabled = true
    }
}
