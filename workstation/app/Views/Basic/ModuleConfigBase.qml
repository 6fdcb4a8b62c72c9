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

    // A press on the popup's own button closes it before the button sees the press; the click
    // that ends that press would open it again at once. So a click on the same button within a
    // press's time of the popup closing by itself does not reopen it.
    property var _selfClosedBtn: null
    property double _selfClosedAt: 0
    onClosed: {
        const btn = cfg_btn
        xclose()
        if (btn) {
            _selfClosedBtn = btn
            _selfClosedAt = Date.now()
        }
    }
    function xconsumeReopen(btn) {
        const hit = btn && btn === _selfClosedBtn && Date.now() - _selfClosedAt < Qt.styleHints.mousePressAndHoldInterval
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
