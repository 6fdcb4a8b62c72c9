import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// A popup that a module view opens next to itself, tied to one module and the button that
// opened it: the button looks selected exactly while the popup is open.
Popup {
    id: root
    property var cfg_module: null
    property var cfg_btn: null

    padding: 4
    // Escape reaches the popup only while it holds the focus.
    focus: true
    background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }

    function xopen_pre(module, btn, x, y) {
        if (cfg_module)
            xclose()
        cfg_module = module
        cfg_btn = btn
        root.x = x
        root.y = y
        if (btn)
            btn.xselected = true
    }

    function xclose() {
        if (!cfg_module)
            return
        const btn = cfg_btn
        cfg_module = null
        cfg_btn = null
        if (opened || visible)
            close()
        if (btn)
            btn.xselected = false
    }

    // A press on the popup's own button closes the popup before the button sees that press; the
    // click that ends the same press must not open it again. The button is remembered from the
    // closing until that press ends: a close that no press on the button caused (Escape, a press
    // elsewhere) forgets it as soon as the closing event has been handled.
    property var _selfClosedBtn: null
    onClosed: {
        const btn = cfg_btn
        xclose()
        _selfClosedBtn = btn
        if (btn)
            Qt.callLater(root._keepIfClosingPress)
    }
    function _keepIfClosingPress() {
        if (_selfClosedBtn && !_selfClosedBtn.pressed)
            _selfClosedBtn = null
    }
    function _forgetClosingPress() { _selfClosedBtn = null }
    Connections {
        target: root._selfClosedBtn
        ignoreUnknownSignals: true
        // Released: its click, if any, comes in the same event, before this call.
        function onPressedChanged() {
            if (root._selfClosedBtn && !root._selfClosedBtn.pressed)
                Qt.callLater(root._forgetClosingPress)
        }
    }
    function xconsumeReopen(btn) {
        const hit = btn && btn === _selfClosedBtn
        if (hit)
            _selfClosedBtn = null
        return hit
    }

    // Around the module view first (above, below, left, right), wholly inside the tab area;
    // else inside the module view at the corner asked for, or centred in the tab area.
    function xgetPosition(module, btn, insidePrefer) {
        const tmv = CApp.tabManager.view
        const mv = module.view
        const cw = root.width
        const ch = root.height
        const mw = mv.width
        const mh = mv.height
        const around = [[(mw - cw) / 2, -ch], [(mw - cw) / 2, mh], [-cw, (mh - ch) / 2], [mw, (mh - ch) / 2]]
        for (const a of around) {
            const p = mv.mapToItem(tmv, a[0], a[1])
            if (p.x >= 0 && p.y >= 0 && p.x + cw <= tmv.width && p.y + ch <= tmv.height)
                return Qt.point(p.x, p.y)
        }
        const left = mv.cfg_leftWidth !== undefined ? mv.cfg_leftWidth : 0
        const right = mv.cfg_rightWidth !== undefined ? mv.cfg_rightWidth : 0
        let q
        switch (insidePrefer) {
        case 1: q = [left, 0]; break
        case 2: q = [mw - right - cw, 0]; break
        case 3: q = [mw - right - cw, mh - ch]; break
        case 4: q = [left, mh - ch]; break
        default: return Qt.point((tmv.width - cw) / 2, (tmv.height - ch) / 2)
        }
        const p = mv.mapToItem(tmv, q[0], q[1])
        return Qt.point(p.x, p.y)
    }
}
