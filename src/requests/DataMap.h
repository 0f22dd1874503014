#pragma once
#include <QByteArray>
#include <QString>
#include <QVector>

#include "common/AreaSizes.h"
#include "common/XmlUtil.h"
#include "requests/CompiledRow.h"
#include "requests/SnmpRequests.h"

namespace kv {

// Where each compiled request row puts its bytes in the converter's two
// PROFINET data areas:
//  - out: what the converter sends to the controller (PROFINET_NB_OUT bytes,
//    the controller's inputs); Get rows write their agent's data there;
//  - in: what the controller sends (PROFINET_NB_IN bytes, the controller's
//    outputs); Set and Trap rows take their data from there.
// A row covers the bytes [Position, Position + Num Bytes).
enum class DataArea { Out, In };

// One row the compile writes, reduced to what the map needs.
struct DataMapRow {
    int row = 0;            // the row's number in the table, from 1
    RecordMode mode = RecordTrap;
    int position = 0;       // 0..65,535
    int numberBytes = 0;    // 0..255; meaningless when refused
    bool refused = false;   // a Num Bytes the compile refuses
    QString mnemonic;
    QString agent;          // IP Address text
    QString oid;
    QString type;

    DataArea area() const { return mode == RecordGet ? DataArea::Out : DataArea::In; }
    int from() const { return position; }
    int to() const { return position + numberBytes; } // one past the last byte
};

// The table's rows that the compile writes, in table order: enabled rows,
// the first 512 of them that compile (a refused row takes no record and is
// kept, marked refused).
QVector<DataMapRow> DataMapRowsOf(const pugi::xml_node& tableRoot);
// The same for the editor's rows as they would be saved: the rows before
// the first one with a blank IP Address.
QVector<DataMapRow> DataMapRowsOf(const QVector<SnmpRequest>& rows);

struct DataMapPlacement {
    DataArea area = DataArea::Out;
    int row = 0;
    int from = 0;
    int to = 0;
    QString mnemonic;
};

// Two Get rows sharing the bytes [from, to); rowA < rowB.
struct DataMapOverlap {
    int rowA = 0;
    int rowB = 0;
    int from = 0;
    int to = 0;
};

// A placed row whose range ends past its area's size.
struct DataMapOutside {
    DataArea area = DataArea::Out;
    int row = 0;
    int from = 0;
    int to = 0;
    qint32 size = 0;
};

struct DataMap {
    AreaSizes sizes;
    QVector<DataMapPlacement> placements; // table order; Num Bytes 0 and refused rows have none
    QVector<DataMapOverlap> overlaps;     // by rowA, then rowB
    QVector<DataMapOutside> outside;      // table order
    QVector<int> refused;                 // table order
    bool hasFindings() const { return !overlaps.isEmpty() || !outside.isEmpty(); }
};

// The map of rows (as DataMapRowsOf gives them) in areas of these sizes.
DataMap ComputeDataMap(const QVector<DataMapRow>& rows, const AreaSizes& sizes);

// The map of a configuration on disk, read as the compile reads
// SNMP_Manager.xml and as the GSDML writer reads the sizes in ParGen.xml.
// A missing file is no error (no rows; default sizes).
struct DataMapLoad {
    XmlLoad load; // Error: a document that exists cannot be read (message names it)
    DataMap map;
    QVector<DataMapRow> rows;
    bool ok() const { return load.status != XmlLoad::Error; }
};
DataMapLoad ReadDataMap(const QString& parGenPath, const QString& snmpManagerPath);

// The PLC tag list of a map's placed rows: CSV (UTF-8 with byte-order
// mark, comma, CR LF, quoted as RFC 4180) with the columns Tag, Direction,
// Byte offset, Byte count, Type, Row, Agent, OID, Mnemonic.
QByteArray DataMapTagListCsv(const QVector<DataMapRow>& rows);

// The tag names of rows, in order: each Mnemonic made an identifier a PLC
// takes (see DataMap.cpp for the rules); row_N when nothing of it is left.
QStringList DataMapTagNames(const QVector<DataMapRow>& rows);

} // namespace kv
