#include "commparams/CommParams.h"

#include "common/NumberRule.h"

#include <QStringList>

namespace kv {

namespace {

enum : int {
    TxtSnmpIp = 444,   // 444..447
    TxtSnmpSm = 448,   // 448..451
    TxtSnmpGat = 452,  // 452..455
    TxtPnIp = 576,     // 576..579
    TxtPnSm = 580,     // 580..583
    TxtPnGat = 584,    // 584..587
    TxtPnPort = 588,
    TxtPnNbIn = 589,
    TxtPnNbOut = 590,
    TxtNotAMask = 1185,
};

const CommParamsKey kKeys[CommParamsKeyCount] = {
    {"SNMP_Manager_IP1", &CommParams::SNMP_Manager_IP1, false},
    {"SNMP_Manager_IP2", &CommParams::SNMP_Manager_IP2, false},
    {"SNMP_Manager_IP3", &CommParams::SNMP_Manager_IP3, false},
    {"SNMP_Manager_IP4", &CommParams::SNMP_Manager_IP4, false},
    {"SNMP_Manager_SM1", &CommParams::SNMP_Manager_SM1, false},
    {"SNMP_Manager_SM2", &CommParams::SNMP_Manager_SM2, false},
    {"SNMP_Manager_SM3", &CommParams::SNMP_Manager_SM3, false},
    {"SNMP_Manager_SM4", &CommParams::SNMP_Manager_SM4, false},
    {"SNMP_Manager_GAT1", &CommParams::SNMP_Manager_GAT1, false},
    {"SNMP_Manager_GAT2", &CommParams::SNMP_Manager_GAT2, false},
    {"SNMP_Manager_GAT3", &CommParams::SNMP_Manager_GAT3, false},
    {"SNMP_Manager_GAT4", &CommParams::SNMP_Manager_GAT4, false},
    {"SNMP_Manager_EN_GAT", &CommParams::SNMP_Manager_EN_GAT, true},
    {"SNMP_Name_of_Station", &CommParams::SNMP_Name_of_Station, false},
    {"PROFINET_IP1", &CommParams::PROFINET_IP1, false},
    {"PROFINET_IP2", &CommParams::PROFINET_IP2, false},
    {"PROFINET_IP3", &CommParams::PROFINET_IP3, false},
    {"PROFINET_IP4", &CommParams::PROFINET_IP4, false},
    {"PROFINET_SM1", &CommParams::PROFINET_SM1, false},
    {"PROFINET_SM2", &CommParams::PROFINET_SM2, false},
    {"PROFINET_SM3", &CommParams::PROFINET_SM3, false},
    {"PROFINET_SM4", &CommParams::PROFINET_SM4, false},
    {"PROFINET_GAT1", &CommParams::PROFINET_GAT1, false},
    {"PROFINET_GAT2", &CommParams::PROFINET_GAT2, false},
    {"PROFINET_GAT3", &CommParams::PROFINET_GAT3, false},
    {"PROFINET_GAT4", &CommParams::PROFINET_GAT4, false},
    {"PROFINET_EN_GAT", &CommParams::PROFINET_EN_GAT, true},
    {"PROFINET_PORT", &CommParams::PROFINET_PORT, false},
    {"PROFINET_NAME_STA", &CommParams::PROFINET_NAME_STA, false},
    {"PROFINET_NB_IN", &CommParams::PROFINET_NB_IN, false},
    {"PROFINET_NB_OUT", &CommParams::PROFINET_NB_OUT, false},
};

const CommParamsOctets kOctetGroups[OctetGroupCount] = {
    {{&CommParams::SNMP_Manager_IP1, &CommParams::SNMP_Manager_IP2, &CommParams::SNMP_Manager_IP3,
      &CommParams::SNMP_Manager_IP4},
     nullptr},
    {{&CommParams::SNMP_Manager_SM1, &CommParams::SNMP_Manager_SM2, &CommParams::SNMP_Manager_SM3,
      &CommParams::SNMP_Manager_SM4},
     nullptr},
    {{&CommParams::SNMP_Manager_GAT1, &CommParams::SNMP_Manager_GAT2, &CommParams::SNMP_Manager_GAT3,
      &CommParams::SNMP_Manager_GAT4},
     &CommParams::SNMP_Manager_EN_GAT},
    {{&CommParams::PROFINET_IP1, &CommParams::PROFINET_IP2, &CommParams::PROFINET_IP3, &CommParams::PROFINET_IP4},
     nullptr},
    {{&CommParams::PROFINET_SM1, &CommParams::PROFINET_SM2, &CommParams::PROFINET_SM3, &CommParams::PROFINET_SM4},
     nullptr},
    {{&CommParams::PROFINET_GAT1, &CommParams::PROFINET_GAT2, &CommParams::PROFINET_GAT3,
      &CommParams::PROFINET_GAT4},
     &CommParams::PROFINET_EN_GAT},
};

// The data check's message for the first octet of each group; the others
// follow it.
const int kOctetMessages[OctetGroupCount] = {TxtSnmpIp, TxtSnmpSm, TxtSnmpGat, TxtPnIp, TxtPnSm, TxtPnGat};

bool fail(QString* message, const QString& text)
{
    if (message)
        *message = text;
    return false;
}

const char kRoot[] = "Par_Gen";
const char kVersionComment[] = "SW_VERSION = 1.000";

} // namespace

const CommParamsKey* CommParamsKeys()
{
    return kKeys;
}

const char* CommParamsKeyName(QString CommParams::*field)
{
    for (const CommParamsKey& k : kKeys) {
        if (k.field == field)
            return k.name;
    }
    return "";
}

const CommParamsOctets& CommParamsOctetGroupOf(CommParamsOctetGroup group)
{
    return kOctetGroups[group];
}

QString* CommParamsField(CommParams& params, const QString& key)
{
    for (const CommParamsKey& k : kKeys) {
        if (key == QLatin1String(k.name))
            return &(params.*k.field);
    }
    return nullptr;
}

CommParamsLoad LoadCommParams(const QString& path)
{
    CommParamsLoad r;
    pugi::xml_document doc;
    r.load = LoadXmlFile(path, doc);
    if (!r.load.ok())
        return r;

    // The first top-level node is the root whatever it is: a comment or a
    // declaration ahead of Par_Gen makes every key read as missing.
    const pugi::xml_node root = FirstTopNode(doc);
    for (const CommParamsKey& k : kKeys) {
        QString text;
        const bool found = ChildText(root, k.name, text);
        if (k.field == &CommParams::PROFINET_PORT)
            continue; // not a setting: always the default
        if (k.flag)
            r.params.*k.field = found && FlagIsSet(text) ? QStringLiteral("1") : QStringLiteral("0");
        else if (found)
            r.params.*k.field = text;
    }
    return r;
}

bool Controllo_Dati(const CommParams& p, const LangTable& lang, QString* message)
{
    for (int g = 0; g < OctetGroupCount; ++g) {
        const CommParamsOctets& group = kOctetGroups[g];
        if (group.enable && !FlagIsSet(p.*group.enable))
            continue;
        for (int i = 0; i < 4; ++i) {
            if (!InRange(p.*group.octets[i], 0, 255))
                return fail(message, lang.Get(kOctetMessages[g] + i));
        }
    }
    if (!InRange(p.PROFINET_PORT, ProfinetPort, ProfinetPort))
        return fail(message, lang.Get(TxtPnPort));
    const QString bound = QString::number(ProfinetMaxBytes);
    if (!InRange(p.PROFINET_NB_IN, 0, ProfinetMaxBytes))
        return fail(message, lang.Get(TxtPnNbIn) + bound);
    if (!InRange(p.PROFINET_NB_OUT, 0, ProfinetMaxBytes))
        return fail(message, lang.Get(TxtPnNbOut) + bound);
    return true;
}

bool IsSubnetMask(quint32 mask)
{
    // The one-bits are contiguous from the left exactly when the zero-bits
    // below them are all ones once inverted: ~mask is 0...01...1.
    const quint32 host = ~mask;
    return (host & (host + 1)) == 0;
}

QString SubnetMaskWarning(const CommParams& params, CommParamsOctetGroup group, const LangTable& lang)
{
    quint32 mask = 0;
    QStringList dotted;
    for (QString CommParams::*octet : kOctetGroups[group].octets) {
        qint32 v = 0;
        if (!ToInt32(params.*octet, v) || v < 0 || v > 255)
            return QString();
        mask = (mask << 8) | quint32(v);
        dotted << QString::number(v);
    }
    return IsSubnetMask(mask) ? QString() : lang.Get(TxtNotAMask).arg(dotted.join(QLatin1Char('.')));
}

static void buildDocument(pugi::xml_document& doc, const CommParams& params)
{
    pugi::xml_node root = doc.append_child(kRoot);
    for (const CommParamsKey& k : kKeys) {
        const QString& text = params.*k.field;
        if (k.flag)
            AppendTextElement(root, k.name, FlagIsSet(text) ? QStringLiteral("1") : QStringLiteral("0"));
        else
            AppendTextElement(root, k.name, text);
    }
    doc.append_child(pugi::node_comment).set_value(kVersionComment);
}

QByteArray CommParamsBytes(const CommParams& params)
{
    pugi::xml_document doc;
    buildDocument(doc, params);
    return SaveXmlBytes(doc);
}

bool SaveCommParams(const CommParams& params, const QString& path, QString* error)
{
    pugi::xml_document doc;
    buildDocument(doc, params);
    return SaveXmlFile(doc, path, error);
}

} // namespace kv
