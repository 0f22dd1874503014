#pragma once
#include <QString>

#include "snmp/SnmpTestRun.h"

namespace kv {

class LangTable;

// How the outcome of a tested row reads for the engineer.

// True for the verdicts of a value the agent gave back (fits, wrong type,
// too long): the answer's type, value and time mean something.
bool SnmpValueAnswered(SnmpVerdict verdict);

// The value with its SNMP type as the library prints it, as in `INTEGER 72`
// or `STRING "abc"` (an octet string that is not text shows as
// `Hex-STRING 41 0A`); empty when the agent gave no value.
QString SnmpValueText(const SnmpAnswer& answer);

// Why a row fits today only, as in "72 fits in 1 byte today; a Counter32
// needs 4" (for a result of verdict FitsNow).
QString SnmpFitsNowReason(const SnmpRowResult& result, const SnmpRequest& request, const LangTable& lang);

// One sentence on what the outcome means for the row, with its details
// (needed and allowed bytes, the row's Type and the agent's type, the
// time-out); request is the tested row, timeoutMs the time-out of a try.
QString SnmpVerdictText(const SnmpRowResult& result, const SnmpRequest& request, const LangTable& lang, int timeoutMs);

} // namespace kv
