// Words for the shared status codes. A notice that only says "Fail -8" tells the user nothing, so
// both programs' notices add the meaning of the code, translated, and keep the number for reports.
#pragma once

#include <QString>

// The translation id of a status code's meaning ("Status_BadArgument" for -8); nullptr for
// success (0 or more) and for a code outside the shared table.
const char* statusTextId(int code);
// The translated meaning of a status code; empty where statusTextId gives nullptr.
QString statusMeaning(int code);
// What a notice says about a result: the translated "Success" for 0 or more; else the translated
// "Fail", the code and, for a known code, its meaning ("Fail -8: Bad argument").
QString resultText(int code);
