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
// not a number marks the input invalid even without a range rule. Under range type 0 the flag is
// the view's own (a range between two inputs, a name that must fit): the mark of a non-number
// keeps what the view had set and gives it back at the next number, never a plain true.
function checkText(input, text, integral) {
    const v = parse(text, integral)
    if (isNaN(v)) {
        if (!input._xnotNumber)
            input._xvalidBeforeNotNumber = input.xrule_isInputValid
        input._xnotNumber = true
        input.xrule_isInputValid = false
        return
    }
    const wasNotNumber = input._xnotNumber
    input._xnotNumber = false
    if (input.xrule_rangeType > 0)
        input.xrule_isInputValid = inRange(input.xrule_rangeType, input.xrule_rangeMin, input.xrule_rangeMax, v)
    else if (wasNotNumber)
        input.xrule_isInputValid = input._xvalidBeforeNotNumber
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
