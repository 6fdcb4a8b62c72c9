.pragma library

// Rules shared by the number inputs.

// The number a field's text stands for; anything that is not a finite number gives NaN, and so
// does an empty (or blank) text: the user has typed no number, and 0 would be a value nobody
// typed. With `integral`, only whole numbers of the 32-bit range count: the int input would
// otherwise store a wrapped or cut value.
function parse(text, integral) {
    if (String(text).trim() === "")
        return NaN
    const n = Number(text)
    if (!isFinite(n))
        return NaN
    if (integral && (Math.floor(n) !== n || n < -2147483648 || n > 2147483647))
        return NaN
    return n
}

// Range types: 0 none, 1 min, 2 max, 3 mid, 4 exmid; bounds inclusive. NaN fails every type.
function inRange(type, min, max, v) {
    switch (type) {
    case 1: return v >= min
    case 2: return v <= max
    case 3: return v >= min && v <= max
    case 4: return v <= min || v >= max
    }
    return true
}

function rangeText(type, minText, maxText) {
    switch (type) {
    case 1: return "[" + minText + ", +\u221e)"
    case 2: return "(-\u221e, " + maxText + "]"
    case 3: return "[" + minText + ", " + maxText + "]"
    case 4: return "(-\u221e, " + minText + "], [" + maxText + ", +\u221e)"
    }
    return ""
}

// The number the input accepts from `text`: a number (see parse) within its range; NaN otherwise.
function accepted(input, text, integral) {
    const v = parse(text, integral)
    if (isNaN(v) || (input.xrule_rangeType > 0
                     && !inRange(input.xrule_rangeType, input.xrule_rangeMin, input.xrule_rangeMax, v)))
        return NaN
    return v
}

// The input's own writes of its mark, told apart from the view's in viewMarked().
function setValid(input, valid) {
    input._xownMark = true
    input.xrule_isInputValid = valid
    input._xownMark = false
}

// The check of a number input, run on every change of its field's text. A text the input does
// not accept (no number, or outside the range) marks it and is held as typed: it is never
// committed, so what stays on screen is never silently replaced by the last value, and an action
// that reads the form sees the mark and sends nothing. Under range type 0 the mark is otherwise
// the view's own (a range between two inputs, a name that must fit): the mark of a non-number
// keeps what the view had set and gives it back at the next number, never a plain true.
function checkText(input, text, integral) {
    const bad = isNaN(accepted(input, text, integral))
    if (bad) {
        if (!input._xbadText)
            input._xviewMark = input.xrule_isInputValid
        input._xbadText = true
        setValid(input, false)
        return
    }
    const wasBad = input._xbadText
    input._xbadText = false
    if (input.xrule_rangeType > 0)
        setValid(input, true)
    else if (wasBad)
        setValid(input, input._xviewMark)
}

// A view that marks the input valid while its text is not accepted (its own rule over the
// committed values holds) would hide the one reason the value on screen is not the value held:
// the text's mark stays, and the view's word is kept for when the text is accepted.
function viewMarked(input) {
    if (input._xownMark || !input._xbadText)
        return
    input._xviewMark = input.xrule_isInputValid
    if (input.xrule_isInputValid)
        setValid(input, false)
}

// Commit at the end of an edit (Return or loss of focus): an accepted number becomes `xvalue`
// (the same number in another spelling is no change, and the text stays as typed); any other
// text stays as typed, marked, and nothing is written.
function finishEdit(input, text, integral) {
    const v = accepted(input, text, integral)
    if (!isNaN(v))
        input.xvalue = v
}

// `init(v)`: shows `v` without echoing it back. A text held uncommitted gives way to a value
// shown again from outside (a reload, a dialog reopened for another item), unless the user is
// still typing it.
function init(input, field, v) {
    if (v === input.xvalue) {
        if (input._xbadText && !field.activeFocus)
            input.model2view()
        return
    }
    input.xvalue = v
    input.model2view()
}
