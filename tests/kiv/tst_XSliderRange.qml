import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XSliderRange"
    width: 300
    height: 100
    visible: true
    when: windowShown

    XSliderRange { id: range; width: 200; from: 0; to: 10; first.value: 2; second.value: 8 }

    function test_baseInterface() {
        compare(range.first.value, 2)
        compare(range.second.value, 8)
        range.setValues(3, 7)
        compare(range.first.value, 3)
        compare(range.second.value, 7)
        // The base control keeps the pair ordered.
        range.first.value = 9
        compare(range.first.value, 7)
    }
}
