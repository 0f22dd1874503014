#pragma once
#include <QString>
#include <QVector>

#include "common/XmlUtil.h"

namespace kv {

class LangTable;

// The request table holds rows 1..512; row 0 of the grid is its header.
constexpr int SnmpMaxRows = 512;
constexpr int SnmpFieldCount = 16;
// Position choices when ParGen.xml is missing, and the upper bound always.
constexpr int SnmpMaxPositionChoices = 1439;
// A size key of ParGen.xml that is missing or not a number counts as this.
constexpr int SnmpUnreadableAreaSize = 244;

// Grid columns; column 0 holds the row number and is not part of a row.
enum SnmpColumn : int {
    ColRowNumber = 0,
    ColEnable = 1,
    ColIpAddress,
    ColVersion,
    ColCommunity,
    ColOid,
    ColType,
    ColMode,
    ColOnChange,
    ColOnCommand, // hidden in the editor, kept with its row
    ColOnTimer,
    ColTime,
    ColPosition,
    ColNumberBytes,
    ColConvertFrom,
    ColCancel,
    ColMnemonic,
};

// One request: the exact texts of its 16 cells, never normalised.
struct SnmpRequest {
    QString Enable;
    QString IP_Address;
    QString Version;
    QString Community_String;
    QString OID;
    QString Type;
    QString Mode;
    QString On_Change;
    QString On_Command;
    QString On_Timer;
    QString Time;
    QString Position;
    QString Number_Bytes;
    QString ConvertFrom;
    QString Cancel;
    QString Mnemonic;

    // Field of a grid column 1..16.
    QString& field(int column);
    const QString& field(int column) const;

    // The XML attribute of a grid column 1..16.
    static const char* AttributeName(int column);
    // All SnmpFieldCount attribute names, in column order.
    static const char* const* AttributeNames();
    // True for the check-box columns ("Y" set, anything else clear).
    static bool IsCheckBoxColumn(int column);

    // A row as the table is reset: enabled, everything else empty.
    static SnmpRequest ResetRow();

    bool operator==(const SnmpRequest& o) const;
    bool operator!=(const SnmpRequest& o) const { return !(*this == o); }
};

// The text a row gets for a column (1..16) whose attribute is missing.
QString SnmpMissingAttributeText(int column);

// The whole table as read from the configuration.
struct SnmpTable {
    SnmpTable(); // every row reset
    void Reset();

    QVector<SnmpRequest> rows; // always SnmpMaxRows long; rows[r - 1] is row r
    int PositionChoiceCount = SnmpMaxPositionChoices;
    // Rows the file held beyond the 512 that were loaded.
    int surplusRows = 0;
};

// Number of Position choices from a ParGen.xml; a missing file gives 1439.
// When the file exists but cannot be loaded, *load (when given) tells why and
// 1439 is returned.
int PositionChoiceCount(const QString& parGenPath, XmlLoad* load = nullptr);
// The same from an already loaded ParGen.xml document.
int PositionChoiceCount(const pugi::xml_document& parGen);

// Resets the table, computes PositionChoiceCount and fills the rows from
// SNMP_Manager.xml when it exists.  Missing files are not errors.  When
// either file exists but cannot be loaded, the result is an Error naming the
// file and table is left exactly as it was.
XmlLoad LoadSnmpRequests(const QString& parGenPath, const QString& snmpManagerPath, SnmpTable& table);

// Rows from the same file content in memory (tests, benchmarks, fuzzing).
XmlLoad LoadSnmpRequestsBytes(const QByteArray& bytes, const QString& name, SnmpTable& table);

// The table content: rows from row 1 up to, not including, the first row
// whose IP Address is blank.
int SnmpContentRowCount(const QVector<SnmpRequest>& rows);

// Outcome of the data check: row 0 when it passes, else the failing row and
// the text index of its message.
struct SnmpCheckResult {
    int row = 0;
    int textIndex = 0;
    bool ok() const { return row == 0; }
};

// Data check of the table, stopping at the first failure.
SnmpCheckResult CheckSnmpRequests(const QVector<SnmpRequest>& rows);

// The data check with its message ("Error row " + number + text); true when
// the table passes, else false with the message in *message.
bool Controllo_dati(const QVector<SnmpRequest>& rows, const LangTable& lang, QString* message);

// The bytes of SNMP_Manager.xml for the table content.
QByteArray SnmpRequestsXml(const QVector<SnmpRequest>& rows);

// Writes SNMP_Manager.xml whole (atomic); false with the reason on failure.
bool SaveSnmpRequests(const QVector<SnmpRequest>& rows, const QString& path, QString* error = nullptr);

} // namespace kv
