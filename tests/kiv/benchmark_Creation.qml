import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    name: "Creation"
    width: 400
    height: 400
    visible: true
    when: windowShown

    Component { id: buttonComponent; XButton { text: "b" } }
    Component { id: comboComponent; XComboBox { model: [{ name: "a" }, { name: "b" }] } }

    // 200 buttons and 200 combo boxes per iteration.
    function benchmark_create200() {
        const made = []
        for (let i = 0; i < 200; ++i) {
            made.push(buttonComponent.createObject(this))
            made.push(comboComponent.createObject(this))
        }
        for (let i = 0; i < made.length; ++i)
            made[i].destroy()
    }
}
