#pragma once
#include <QString>

#include "requests/SnmpRequests.h"

namespace kv {

// Testing a request of the table against its live agent: which rows can be
// tested, and what an agent's answer means for the row.

enum class SnmpVerdict {
    Fits,         // answered, and every value the object may take fits the row
    FitsNow,      // answered, and today's value fits, but not every value the object may take
    WrongType,    // the value's type does not fit the row's Type
    TooLong,      // the value needs more bytes than the row's Num Bytes
    NoSuchObject, // the agent has no such object or instance
    NoAnswer,     // no answer: wrong address or community, or the agent is down
    AgentError,   // the agent answered with an error status (genErr, tooBig, noAccess, ...)
    BadRow,       // the row fails the data check, or holds a value the device cannot hold
    NotTestable,  // a trap row, a version 3 row, or a mode other than Get and Set
};

// The key of a verdict in machine-readable output ("fits", "wrong-type", ...).
const char* SnmpVerdictKey(SnmpVerdict verdict);

// What an agent gave back for one GET.
struct SnmpAnswer {
    enum Status { Value, NoSuchObject, NoAnswer, AgentError };
    Status status = NoAnswer;
    QString type;      // as net-snmp names it: "INTEGER", "STRING", "Counter32", "Timeticks", ...
    QString value;     // as net-snmp prints it after its type ("\"abc\"", "01 0A", "(12) 0:00:00.12"),
                       // on one line, cut after 256 bytes with the full size said
    bool hex = false;  // an OCTET STRING printed as hex pairs (bytes that are not text)
    QString error;     // AgentError: the library's text for the error status
    int octets = 0;    // OCTET STRING: its length in bytes
    bool isInteger = false; // an integer-like type
    bool isSigned = false;  // INTEGER (two's complement); the others are unsigned
    qint64 integer = 0;     // the value of a signed integer
    quint64 unsignedValue = 0; // the value of an unsigned one
    qint64 ms = 0;
};

// One row as it will be tested.
struct SnmpRowPlan {
    int row = 0;            // 1..512
    SnmpVerdict verdict = SnmpVerdict::Fits; // NotTestable or BadRow when it is not sent
    QString reason;         // of NotTestable and BadRow
    QString agent;          // the address, trimmed
    QString oid;            // the OID, trimmed
    int version = 2;        // 1 or 2 (2c)
    QString community;
    bool readOnly = false;  // a Set row: only read, never written
};

// Table rows (1..512) of the table's content (up to the first blank
// address) whose Enable is Y: what a test takes when not told otherwise.
QVector<int> EnabledContentRows(const QVector<SnmpRequest>& rows);

// Whether and how row (1..512) is tested.  BadRow carries the data check's
// message for this row, or the hint of a value beyond the device's limits.
SnmpRowPlan PlanRowTest(const SnmpRequest& request, int row, const LangTable& lang);

// Bytes an integer needs: two's complement for a signed value, plain for an
// unsigned one (0 needs one byte).
int SignedBytesNeeded(qint64 value);
int UnsignedBytesNeeded(quint64 value);

// What a loaded MIB module says about the object a row reads: filled by the
// SNMP side, which reads the modules (see MibBoundsFor).
struct SnmpObjectBounds {
    bool known = false;  // a loaded module defines the object (a scalar or a table column)
    QString name;        // MODULE::name, with the instance after a dot unless a scalar's .0
    QString syntax;      // its syntax for the engineer: "Integer32 (0..100000)", "DisplayString (SIZE (0..32))"
    int intBytes = 0;    // an integer: the bytes its whole range needs; 0 when no range is known
    int stringBytes = 0; // a string: its largest SIZE, at most 255; 0 when no SIZE is known
};

// The verdict of an answer for the row (only for rows PlanRowTest sends).
// *needed (when given) receives the bytes the value needs, *mayNeed the bytes
// every value the object may take needs (0: unknown, today's value decides):
// from bounds when a module knows the object, otherwise the width of the
// answer's type (Counter32, Gauge32, Unsigned32, TimeTicks 4, Counter64 8).
SnmpVerdict JudgeAnswer(const SnmpRequest& request, const SnmpAnswer& answer, int* needed = nullptr,
                        const SnmpObjectBounds& bounds = SnmpObjectBounds(), int* mayNeed = nullptr);

// The bytes an integer type of an answer always needs, as net-snmp names the
// type ("Counter32", "Timeticks", ...); 0 for INTEGER and the other types.
int SnmpTypeWidth(const QString& type);

} // namespace kv
