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

    // A settings form's rows: the seven labelled inputs in turn.
    Component { id: intComponent; XInputInt { xname: "int"; xrule_rangeType: 3; xrule_rangeMax: 9 } }
    Component { id: floatComponent; XInputFloat { xname: "float"; xvalue: 1.5 } }
    Component { id: sliderComponent; XInputFloatSlider { xname: "slider"; xmax: 10 } }
    Component { id: stringComponent; XInputString { xname: "string"; xvalue: "text" } }
    Component { id: boolComponent; XInputBool { xname: "bool"; xvalue: true } }
    Component { id: enumComponent; XInputEnum { xname: "enum"; xoptions: [{ name: "a", value: 0 }, { name: "b", value: 1 }]; xvalue: 1 } }
    Component { id: colorComponent; XInputColor { xname: "color" } }

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

    // 200 labelled inputs per iteration, the seven kinds in turn.
    function benchmark_create200Inputs() {
        const kinds = [intComponent, floatComponent, sliderComponent, stringComponent, boolComponent,
                       enumComponent, colorComponent]
        const made = []
        for (let i = 0; i < 200; ++i)
            made.push(kinds[i % kinds.length].createObject(this))
        for (let i = 0; i < made.length; ++i)
            made[i].destroy()
    }
}
