import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    name: "XSeperator"
    width: 200
    height: 100
    visible: true
    when: windowShown

    XSeperator { id: line; width: 200; height: 1 }

    function test_colour() {
        verify(Qt.colorEqual(line.color, XTheme.border_color))
        compare(line.height, 1)
    }
}
