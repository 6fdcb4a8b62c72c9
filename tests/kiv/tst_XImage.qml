import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XImage"
    width: 300
    height: 200
    visible: true
    when: windowShown

    XImage { id: image; x: 10; y: 10; width: 24; height: 24; source: Qt.resolvedUrl("green_square.svg") }
    SignalSpy { id: clickSpy; target: image; signalName: "clicked" }

    function sameColour(actual, expected, what) {
        verify(Qt.colorEqual(actual, expected), what + ": " + actual + " != " + expected)
    }

    function test_tintAndTransparentBackground() {
        compare(image.padding, 0)
        sameColour(image.color, "#ffffff", "default tint")
        image.color = "#ff0000"
        waitForRendering(image)
        let grab = grabImage(image)
        // The SVG names green; the whole icon is drawn red.
        sameColour(grab.pixel(1, 1), "#ff0000", "corner")
        sameColour(grab.pixel(12, 12), "#ff0000", "middle")
        sameColour(grab.pixel(22, 22), "#ff0000", "far corner")
        sameColour(image.background.color, "#00000000", "background")
        image.source = ""
        waitForRendering(image)
        grab = grabImage(image)
        // Nothing drawn: the window's own background shows through.
        verify(!Qt.colorEqual(grab.pixel(12, 12), "#ff0000"))
    }

    function test_clicked() {
        image.source = Qt.resolvedUrl("green_square.svg")
        mouseClick(image, 12, 12)
        compare(clickSpy.count, 1)
    }

    function test_bundledIconsLoad() {
        const names = ["check", "menu-down", "close", "menu", "notify-success", "notify-info",
                       "notify-warning", "notify-danger"]
        for (const n of names) {
            const probe = createTemporaryQmlObject(
                "import QtQuick; Image { source: \"qrc:/Kiv/Icons/" + n + ".svg\" }", testCase)
            tryCompare(probe, "status", Image.Ready)
            compare(probe.sourceSize.width, 24, n)
            compare(probe.sourceSize.height, 24, n)
        }
    }
}
