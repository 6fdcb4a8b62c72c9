.pragma library

// Rules shared by the number inputs.

// The number a field's text stands for: an empty (or blank) text is 0, as the standard number
// conversion has it; anything that is not a finite number gives NaN. With `integral`, only
// whole numbers of the 32-bit range count: the int input would otherwise store a wrapped or cut
// value.
function parse(text, integral) {
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

// The range check of a number input, run on every change of its field's text. A text that is
// not a number marks the input invalid even without a range rule; the mark is lifted again by
// the next number, so a view's own use of the flag under range type 0 stays untouched.
function checkText(input, text, integral) {
    const v = parse(text, integral)
    if (isNaN(v)) {
        input.xrule_isInputValid = false
        input._xnotNumber = true
        return
    }
    if (input.xrule_rangeType > 0)
        input.xrule_isInputValid = inRange(input.xrule_rangeType, input.xrule_rangeMin, input.xrule_rangeMax, v)
    else if (input._xnotNumber)
        input.xrule_isInputValid = true
    input._xnotNumber = false
}

// Commit at the end of an edit: a number (an empty text is 0) becomes `xvalue`; a text that is
// no number is never written and the field shows `xvalue` again.
function finishEdit(input, text, integral) {
    const v = parse(text, integral)
    if (isNaN(v))
        input.model2view()
    else
        input.xvalue = v
}
