#pragma once
#include <QString>
#include <QStringList>

#include "requests/SnmpRowTest.h"
#include "snmp/MibLibrary.h"

namespace kv {

class LangTable;

// The objects of the loaded MIB modules seen from the OID of an instance,
// as an agent or a row of the request table names it.  On the library's
// thread, like MibLibrary::Find.

// The scalar or table column whose OID is the longest prefix of oid (digits
// and dots) that a loaded module defines; *instance receives the rest after
// it without the dot ("0" for a scalar, the index for a column, empty when
// oid names the object itself).  False when no module defines one.
bool FindMibInstance(const QString& oid, MibObject* object, QString* instance);

// How the results window and the browser name an instance: MODULE::name for
// a scalar's .0 (or the object itself), MODULE::name.index otherwise.
QString MibInstanceName(const MibObject& object, const QString& instance);

// The syntax with its ranges or sizes, as in "Integer32 (0..100000)" or
// "DisplayString (SIZE (0..32))".
QString MibSyntaxText(const MibObject& object);

// What the module that defines the instance says about the values it may
// take (known false when none does).
SnmpObjectBounds MibBoundsFor(const QString& oid);

// What a loaded module says against a row of the request table, one
// sentence each: a Type or Num Bytes that cannot hold the object as its
// definition fills a row (MibRowFor), or Mode Set on an object that cannot
// be written.  Empty when no module defines the row's OID.
QStringList MibRowProblems(const SnmpRequest& row, const LangTable& lang);

} // namespace kv
