#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kv {

// A MIB module as the library read it.
struct MibModuleState {
    enum Kind { Loaded, Failed, MissingImports };
    QString name;
    QString file;
    Kind kind = Loaded;
    int line = 0;         // Failed: where the reader stopped
    QString message;      // Failed: the reader's complaint
    QStringList missing;  // MissingImports: MODULE or MODULE::name, one each
    bool loaded() const { return kind == Loaded; }
    QString describe() const; // one line: "NAME (FILE): loaded", "... FILE:LINE: message", "... missing ..."
};

// One object of a loaded module, as its definition gives it.
struct MibObject {
    QString module;
    QString name;
    QString oid;     // digits and dots
    QString syntax;  // the textual convention or the base type as written
    QString base;    // INTEGER, Integer32, Unsigned32, Gauge32, Counter32, TimeTicks, Counter64,
                     // OCTET STRING, IpAddress, OBJECT IDENTIFIER, Opaque, BITS, ... (empty: no syntax)
    QList<QPair<qint64, qint64>> range; // the values an integer may take
    QList<QPair<qint64, qint64>> size;  // the lengths a string may have
    QList<QPair<QString, qint64>> enums;
    QString access;  // read-only, read-write, ...
    QString status;  // current, deprecated, ...
    QString units;       // UNITS, empty when the definition gives none
    QString description; // DESCRIPTION as written between its quotes
    bool scalar = false;
    bool column = false;
    QString fullName() const { return module + QLatin1String("::") + name; }
};

// The request-table row an object fills, or why it fills none.
struct MibRow {
    // Why an object fills no row, for a reason in the user's language.
    enum Refusal { None, NotScalarOrColumn, NotAccessible, NoRowType, NoSyntax };
    bool filled = false;
    Refusal refusal = None;
    QString reason;
    QString oid;
    QString type;   // Int or String
    int numBytes = 0;
    QString mode;   // Get
    QString mnemonic;
};

// The row for a scalar (OID with .0) or a column (OID with the index).
MibRow MibRowFor(const MibObject& object, const QString& index = QStringLiteral("1"));

// One object of the loaded tree, as a window keeps it: plain copies, so that
// nothing of the library's tree is held across a reload.
struct MibTreeNode {
    enum Kind { Node, Scalar, Table, Row, Column };
    QString name;
    QString oid;         // digits and dots
    QString description; // DESCRIPTION as written
    Kind kind = Node;
    int module = -1;     // index in MibTree::modules
    int parent = -1;     // the nearest node above it of the same module; -1: a top of its module
    int row = 0;         // its place among its parent's children (or its module's tops)
    QVector<int> children; // in OID order
};

// The loaded tree by module: each module's objects under their nearest
// ancestor defined in the same module.
struct MibTree {
    QStringList modules;        // the modules that define objects, by name
    QVector<QVector<int>> tops; // per module, its topmost objects in OID order
    QVector<MibTreeNode> nodes;
};

// The MIB modules of the workspace, read through net-snmp's MIB reader.
// The library's MIB tree is one per process and its reader is not
// thread-safe: Load, Reload, Find and Lint run on the thread that drives the
// library (the SNMP client calls Load before its first session).  Modules()
// may be asked from any thread.
namespace MibLibrary {

// The folders whose modules win over those of MIBDIRS and the system's, in
// precedence: a module in an earlier folder wins over one of the same name
// in a later one.  By default the user's MIBS, then the shipped SMI base
// MIBS_BASE, both beside the executable.  Takes effect at the next load.
void SetFolders(const QStringList& folders);
QStringList Folders();

// Reads every module of the search path once in the process; later calls do
// nothing.
void Load();
// Drops the tree and reads the search path again (after files changed).
void Reload();
// Loads the library, or reads it again when a file of the library's own
// folders (see Folders) was added, removed or changed since the last read,
// as when the engineer copies a vendor's MIB into MIBS by hand.  True when
// it read.
bool ReloadIfChanged();
// The modules of the last load, by name.
QList<MibModuleState> Modules();

// The object named NAME, MODULE::NAME or by its numeric OID (the longest
// known prefix is not enough: the OID must name the object).
bool Find(const QString& nameOrOid, MibObject* object, QString* error);

// Reads these files beside the loaded modules and tells each one's state.
QList<MibModuleState> Lint(const QStringList& files);

// A copy of the loaded tree (loads first).
MibTree Tree();
// Counts the loads and reloads: a copy taken at another count is out of date.
int Generation();

} // namespace MibLibrary
} // namespace kv
