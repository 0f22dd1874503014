#pragma once
#include <QString>

#include "common/XmlUtil.h"
#include "lang/LangTable.h"

namespace kv {

// The communication parameters of a configuration (ParGen.xml): the
// SNMP Manager interface and the PROFINET IO device interface of the
// converter.  Every field is kept as the text the user typed or the file
// held; numbers are only interpreted by the data check and by the readers of
// the document.  The two flags hold "1" (set) or "0".
struct CommParams {
    QString SNMP_Manager_IP1 = QStringLiteral("192");
    QString SNMP_Manager_IP2 = QStringLiteral("168");
    QString SNMP_Manager_IP3 = QStringLiteral("0");
    QString SNMP_Manager_IP4 = QStringLiteral("10");
    QString SNMP_Manager_SM1 = QStringLiteral("255");
    QString SNMP_Manager_SM2 = QStringLiteral("255");
    QString SNMP_Manager_SM3 = QStringLiteral("255");
    QString SNMP_Manager_SM4 = QStringLiteral("0");
    QString SNMP_Manager_GAT1 = QStringLiteral("192");
    QString SNMP_Manager_GAT2 = QStringLiteral("168");
    QString SNMP_Manager_GAT3 = QStringLiteral("0");
    QString SNMP_Manager_GAT4 = QStringLiteral("1");
    QString SNMP_Manager_EN_GAT = QStringLiteral("0");
    QString SNMP_Name_of_Station = QStringLiteral("devicename1");
    QString PROFINET_IP1 = QStringLiteral("192");
    QString PROFINET_IP2 = QStringLiteral("168");
    QString PROFINET_IP3 = QStringLiteral("0");
    QString PROFINET_IP4 = QStringLiteral("5");
    QString PROFINET_SM1 = QStringLiteral("255");
    QString PROFINET_SM2 = QStringLiteral("255");
    QString PROFINET_SM3 = QStringLiteral("255");
    QString PROFINET_SM4 = QStringLiteral("0");
    QString PROFINET_GAT1 = QStringLiteral("192");
    QString PROFINET_GAT2 = QStringLiteral("168");
    QString PROFINET_GAT3 = QStringLiteral("0");
    QString PROFINET_GAT4 = QStringLiteral("1");
    QString PROFINET_EN_GAT = QStringLiteral("0");
    QString PROFINET_PORT = QStringLiteral("34964");
    QString PROFINET_NAME_STA = QStringLiteral("devicename1");
    QString PROFINET_NB_IN = QStringLiteral("1439");
    QString PROFINET_NB_OUT = QStringLiteral("1439");
};

// One key of ParGen.xml, in document order.
struct CommParamsKey {
    const char* name;
    QString CommParams::*field;
    bool flag;
};

constexpr int CommParamsKeyCount = 31;

// The 31 keys in the order they are written.
const CommParamsKey* CommParamsKeys();

// Field of the record by key name; nullptr for an unknown name.
QString* CommParamsField(CommParams& params, const QString& key);

// The key name of a field of the record; "" for none.
const char* CommParamsKeyName(QString CommParams::*field);

// The six address groups of four octets, in the order of the dialog and the
// data check.
enum CommParamsOctetGroup { SnmpIpGroup, SnmpSmGroup, SnmpGatGroup, PnIpGroup, PnSmGroup, PnGatGroup,
                            OctetGroupCount };
struct CommParamsOctets {
    QString CommParams::*octets[4];
    QString CommParams::*enable; // the gateway's flag; nullptr for an address or a mask
};
const CommParamsOctets& CommParamsOctetGroupOf(CommParamsOctetGroup group);

// Whether a 32-bit value (first octet most significant) is a subnet mask:
// its one-bits run from the left without a gap.  0.0.0.0 and 255.255.255.255
// are masks.
bool IsSubnetMask(quint32 mask);

// The warning for a mask group (SnmpSmGroup, PnSmGroup) whose four octets are
// numbers 0..255 but no subnet mask, naming the mask; empty when the octets
// form a mask, or when one of them is no octet (the data check's to report).
QString SubnetMaskWarning(const CommParams& params, CommParamsOctetGroup group, const LangTable& lang);

// Only exactly "1" counts as set.
inline bool FlagIsSet(const QString& text) { return text == QLatin1String("1"); }

constexpr int ProfinetPort = 34964;
constexpr int ProfinetMaxBytes = 1439;

struct CommParamsLoad {
    CommParams params;
    // Ok, Missing (the record holds the defaults) or Error (the file exists
    // but cannot be read or is not well-formed: the record holds the
    // defaults and must be neither shown nor written over the file).
    XmlLoad load;
};

// Reads ParGen.xml.  Each key falls back to its own default when its
// element is missing or holds more than text; the port is always 34964.
CommParamsLoad LoadCommParams(const QString& path);

// The data check: true when every step passes; otherwise false with the
// message of the first failing field in *message.  Changes nothing.
bool Controllo_Dati(const CommParams& params, const LangTable& lang, QString* message);

// The whole document, as written to ParGen.xml.
QByteArray CommParamsBytes(const CommParams& params);

// Writes the whole document at path, replacing the file atomically.
bool SaveCommParams(const CommParams& params, const QString& path, QString* error = nullptr);

} // namespace kv
