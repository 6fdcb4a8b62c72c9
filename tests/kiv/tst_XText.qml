import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XText"
    width: 300
    height: 100
    visible: true
    when: windowShown

    XText { id: text; width: 200; height: 40; text: "Temperature" }

    function test_themeColourAndAlignment() {
        verify(Qt.colorEqual(text.color, XTheme.text_color))
        verify(Qt.colorEqual(text.color, "#E5EAF3"))
        compare(text.horizontalAlignment, Text.AlignLeft)
        compare(text.verticalAlignment, Text.AlignVCenter)
        // Vertically centred, left aligned: the glyphs start at the left edge.
        verify(text.contentHeight < text.height)
    }
}
