.pragma library

// What a form may send: an action first asks for the inputs that must not go out (marked
// invalid by their own rule or by the view) and does nothing while there are any.

// The editable inputs and table cells under `item` (its children, their children, ...) that are
// marked invalid. A table holds cells only for the rows it shows: `badValues` covers the rest.
// Read-only inputs are left out (the user cannot mend them), and so are the ones a form keeps for
// itself (`xlocal`: a calculator's inputs), which are never sent.
function invalidInputs(item) {
    const out = []
    const walk = function (it) {
        if (!it)
            return
        if (it.xcellValid !== undefined) {
            if (!it.xcellValid)
                out.push(it)
            return
        }
        if (it.xrule_isInputValid !== undefined) {
            if (it.xreadonly || it.xlocal === true)
                return
            if (!it.xrule_isInputValid)
                out.push(it)
            return
        }
        const kids = it.children
        if (kids)
            for (let i = 0; i < kids.length; ++i)
                walk(kids[i])
    }
    walk(item)
    return out
}

// A dotted IPv4 address: four decimal parts of 0..255, nothing else.
function isIpv4(text) {
    const parts = String(text).split(".")
    if (parts.length !== 4)
        return false
    for (let i = 0; i < 4; ++i) {
        if (!/^[0-9]{1,3}$/.test(parts[i]) || Number(parts[i]) > 255)
            return false
    }
    return true
}

// Six hexadecimal byte pairs joined by one separator, ':' or '-'.
function isMac(text) {
    return /^[0-9A-Fa-f]{2}([:-])[0-9A-Fa-f]{2}(\1[0-9A-Fa-f]{2}){4}$/.test(String(text))
}

// The number a box's text stands for when it is a whole number within [min, max]; NaN otherwise
// (an empty box, letters, a fraction, a number beyond the bounds).
function parseIntIn(text, min, max) {
    const t = String(text).trim()
    if (!/^[-+]?[0-9]+$/.test(t))
        return NaN
    const v = Number(t)
    return v >= min && v <= max ? v : NaN
}

// The number a cell's text stands for when it is finite and within [min, max]; NaN otherwise.
function parseRealIn(text, min, max) {
    const t = String(text).trim()
    if (t === "")
        return NaN
    const v = Number(t)
    return isFinite(v) && v >= min && v <= max ? v : NaN
}

// The values of a table's rows (`list`, the properties `props` of each) that are no finite number
// within [min, max]: a value read from the camera as NaN or infinity, or one beyond the field.
function badValues(list, props, min, max) {
    let n = 0
    if (!list)
        return 0
    for (let i = 0; i < list.length; ++i)
        for (const p of props) {
            const v = Number(list[i][p])
            if (!isFinite(v) || v < min || v > max)
                ++n
        }
    return n
}

// Whether a write may go out: nothing under `items` is invalid and no table of `tables` holds an
// invalid value, before the edit in progress ends (`sink` takes the keyboard, which commits the
// field being edited) and after it. False sends nothing; the marks stay where they are.
function writable(items, tables, sink) {
    const bad = function () {
        return items.some(function (i) { return invalidInputs(i).length > 0 })
            || tables.some(function (t) { return t.xinvalid() > 0 })
    }
    if (bad())
        return false
    if (sink)
        sink.forceActiveFocus()
    return !bad()
}

// An option list that also names `value` when the list does not: a value the camera reports
// outside its list is shown as its number (and written back unchanged) instead of an empty box.
// A negative value is the boxes' "nothing chosen".
function withValue(list, value) {
    if (!list || value === undefined || value === null || value < 0)
        return list
    for (let i = 0; i < list.length; ++i)
        if (list[i] && list[i].value === value)
            return list
    const out = []
    for (let i = 0; i < list.length; ++i)
        out.push(list[i])
    out.push({ name: String(value), value: value })
    return out
}
