#include "compiler/Compiler.h"

#include "common/AtomicFile.h"
#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "common/XmlUtil.h"
#include "documents/TextChecks.h"

#include <QDir>

#include <pugixml.hpp>

#include <cstring>

namespace kv {

namespace {

// Keys of ParGen.xml read into the general block, with the compile's own
// defaults for a file that exists but lacks them.
const char* const kSnmpIp[4] = {"SNMP_Manager_IP1", "SNMP_Manager_IP2", "SNMP_Manager_IP3", "SNMP_Manager_IP4"};
const char* const kSnmpSm[4] = {"SNMP_Manager_SM1", "SNMP_Manager_SM2", "SNMP_Manager_SM3", "SNMP_Manager_SM4"};
const char* const kSnmpGat[4] = {"SNMP_Manager_GAT1", "SNMP_Manager_GAT2", "SNMP_Manager_GAT3", "SNMP_Manager_GAT4"};
const char* const kPnIp[4] = {"PROFINET_IP1", "PROFINET_IP2", "PROFINET_IP3", "PROFINET_IP4"};
const char* const kPnSm[4] = {"PROFINET_SM1", "PROFINET_SM2", "PROFINET_SM3", "PROFINET_SM4"};
const char* const kPnGat[4] = {"PROFINET_GAT1", "PROFINET_GAT2", "PROFINET_GAT3", "PROFINET_GAT4"};

const AddressQuad kDefSnmpIp = {192, 168, 0, 10};
const AddressQuad kDefPnIp = {192, 168, 0, 5};
const AddressQuad kDefMask = {255, 255, 255, 0};
const AddressQuad kDefGateway = {192, 168, 0, 1};
const AddressQuad kNoGateway = {255, 255, 255, 255};

const QString kDefStationName = QStringLiteral("devicename1");

// Attributes of a request row, in the order the table editor writes them
// (Mnemonic is listed only so that the one-pass lookup stays in step).
enum RowAttr {
    AEnable, AIpAddress, AVersion, ACommunity, AOid, AType, AMode, AOnChange, AOnCommand, AOnTimer,
    ATime, APosition, ANumberBytes, AConvertFrom, ACancel, AMnemonic, ACount
};
const char* const kRowAttr[ACount] = {"Enable", "IP_Address", "Version", "Community_String", "OID", "Type",
                                      "Mode", "On_Change", "On_Command", "On_Timer", "Time", "Position",
                                      "Number_Bytes", "ConvertFrom", "Cancel", "Mnemonic"};

const QString kDefCommunity = QStringLiteral("marble");
constexpr int CommunityMaxChars = 15; // the 16th byte always ends the text

// Exact comparison of an attribute name with a literal, kept inline: the
// names are short and nearly always the one expected next.
inline bool sameName(const char* name, const char* literal)
{
    for (; *literal != '\0'; ++name, ++literal) {
        if (*name != *literal)
            return false;
    }
    return *name == '\0';
}

// The values of one row, null where the attribute is missing.  Attributes
// are visited once; the first of a repeated name counts.
struct RowValues {
    const char* v[ACount] = {};

    explicit RowValues(const pugi::xml_node& row)
    {
        int expected = 0;
        for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            int idx = -1;
            if (expected < ACount && sameName(name, kRowAttr[expected])) {
                idx = expected;
            } else {
                for (int j = 0; j < ACount; ++j) {
                    if (sameName(name, kRowAttr[j])) {
                        idx = j;
                        break;
                    }
                }
            }
            if (idx < 0)
                continue;
            if (!v[idx])
                v[idx] = a.value();
            expected = idx + 1;
        }
    }
    bool has(RowAttr a) const { return v[a] != nullptr; }
    // The number rule on the attribute's bytes; fallback when missing or not
    // a number.
    qint32 number(RowAttr a, qint32 fallback) const
    {
        qint32 n = 0;
        return v[a] && ToInt32(QByteArrayView(v[a]), n) ? n : fallback;
    }
    // Copies the attribute into a text field: straight from the bytes when
    // those that fit are ASCII (one byte, one character), else through the
    // text's UTF-16 code units.
    template <size_t N>
    void copyText(RowAttr a, std::array<quint8, N>& field, int maxChars = int(N)) const
    {
        const char* p = v[a];
        const size_t n = ::strnlen(p, size_t(qMin(int(N), maxChars)));
        quint64 bits = 0;
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            quint64 w;
            std::memcpy(&w, p + i, 8);
            bits |= w;
        }
        for (; i < n; ++i)
            bits |= uchar(p[i]);
        if (bits & 0x8080808080808080ull) {
            ConfigImage::SetText(field, text(a), maxChars);
            return;
        }
        std::memcpy(field.data(), p, n);
        std::memset(field.data() + n, 0, N - n);
    }
    QString text(RowAttr a) const { return v[a] ? QString::fromUtf8(v[a]) : QString(); }
    // Upper-cased (a to z only), not trimmed, compared exactly with an
    // upper-case ASCII word.  Done on the UTF-8 bytes: a character outside
    // ASCII never matches, as with the text itself.
    bool upperIs(RowAttr a, QLatin1String word) const
    {
        const char* p = v[a];
        if (!p)
            return false;
        for (qsizetype i = 0; i < word.size(); ++i, ++p) {
            char c = *p;
            if (c >= 'a' && c <= 'z')
                c = char(c - 32);
            if (c == '\0' || c != word.at(i).toLatin1())
                return false;
        }
        return *p == '\0';
    }
    // Trimmed of characters of code 32 and below, upper-cased, compared.
    bool trimmedUpperIs(RowAttr a, QLatin1String word) const
    {
        const char* p = v[a];
        if (!p)
            return false;
        qsizetype b = 0;
        qsizetype e = qsizetype(std::strlen(p));
        while (b < e && uchar(p[b]) <= 32)
            ++b;
        while (e > b && uchar(p[e - 1]) <= 32)
            --e;
        if (e - b != word.size())
            return false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            char c = p[b + i];
            if (c >= 'a' && c <= 'z')
                c = char(c - 32);
            if (c != word.at(i).toLatin1())
                return false;
        }
        return true;
    }
    quint8 conversionCode() const
    {
        if (trimmedUpperIs(AConvertFrom, QLatin1String("FLOAT")))
            return 1;
        if (trimmedUpperIs(AConvertFrom, QLatin1String("FLOAT * 10")))
            return 2;
        if (trimmedUpperIs(AConvertFrom, QLatin1String("FLOAT * 100")))
            return 3;
        return 0;
    }
};

void readQuad(const pugi::xml_node& root, const char* const keys[4], const AddressQuad& def, AddressQuad& target)
{
    for (int i = 0; i < 4; ++i) {
        QString t;
        qint32 v = 0;
        // An octet keeps the low 8 bits: 300 is stored as 44, -1 as 255.
        target[size_t(i)] = ChildText(root, keys[i], t) && ToInt32(t, v) ? quint8(v) : def[size_t(i)];
    }
}

// A missing flag element or the text "0" means no gateway is used.
void applyGatewayFlag(const pugi::xml_node& root, const char* key, AddressQuad& gateway)
{
    QString t;
    if (!ChildText(root, key, t) || t == QLatin1String("0"))
        gateway = kNoGateway;
}

QString stationName(const pugi::xml_node& root, const char* key)
{
    QString t;
    return ChildText(root, key, t) ? t : kDefStationName;
}

} // namespace

quint8 ConversionCode(const QString& text)
{
    const QString t = UpperAscii(TrimCtl(text));
    if (t == QLatin1String("FLOAT"))
        return 1;
    if (t == QLatin1String("FLOAT * 10"))
        return 2;
    if (t == QLatin1String("FLOAT * 100"))
        return 3;
    return 0;
}

void Compiler::CompileCommParams(const pugi::xml_document* doc)
{
    if (!doc)
        return; // no ParGen.xml: the image defaults stay
    // The first top-level node is the root whatever it is; a comment or
    // declaration there makes every key read as missing.
    const pugi::xml_node root = FirstTopNode(*doc);
    GeneralBlock& g = m_image.General;
    readQuad(root, kSnmpIp, kDefSnmpIp, g.SNMP_Manager_IP);
    readQuad(root, kSnmpSm, kDefMask, g.SNMP_Manager_SM);
    readQuad(root, kSnmpGat, kDefGateway, g.SNMP_Manager_GAT);
    applyGatewayFlag(root, "SNMP_Manager_EN_GAT", g.SNMP_Manager_GAT);
    ConfigImage::SetText(g.SNMP_Name_of_Station, stationName(root, "SNMP_Name_of_Station"));
    readQuad(root, kPnIp, kDefPnIp, g.PROFINET_IP);
    readQuad(root, kPnSm, kDefMask, g.PROFINET_SM);
    readQuad(root, kPnGat, kDefGateway, g.PROFINET_GAT);
    applyGatewayFlag(root, "PROFINET_EN_GAT", g.PROFINET_GAT);
    ConfigImage::SetText(g.PROFINET_NAME_STA, stationName(root, "PROFINET_NAME_STA"));
}

int Compiler::CompileRequests(const pugi::xml_document* doc)
{
    GeneralBlock& g = m_image.General;
    g.Num_Requests = 0;
    g.Request_Table_Const = RequestTableConstValue;
    if (!doc)
        return 0;
    const pugi::xml_node root = FirstTopNode(*doc);
    int surplus = 0;
    for (pugi::xml_node row = root.first_child(); row; row = row.next_sibling()) {
        // Only elements are rows: a comment or stray text inside the table
        // must not turn into a request with every value defaulted.
        if (row.type() != pugi::node_element)
            continue;
        const RowValues r(row);
        if (r.has(AEnable) && !r.trimmedUpperIs(AEnable, QLatin1String("Y")))
            continue;
        if (g.Num_Requests >= quint32(RequestRecordCount)) {
            ++surplus; // only from a file edited by hand: the image has 512 records
            continue;
        }
        RequestRecord& rec = m_image.RequestTable[g.Num_Requests];
        rec = RequestRecord();

        // A missing or empty address gives no bytes: 0.0.0.0.  An invalid
        // part gives 0 while the valid parts keep their bytes.
        std::array<quint8, 4> ip = {0, 0, 0, 0};
        if (r.has(AIpAddress))
            CheckIpAddressText(QByteArrayView(r.v[AIpAddress]), ip);
        rec.IP_Address = (quint32(ip[0]) << 24) | (quint32(ip[1]) << 16) | (quint32(ip[2]) << 8) | quint32(ip[3]);

        const qint32 version = r.number(AVersion, 1);
        rec.Flags = version == 1 ? FlagVersion1 : version == 2 ? FlagVersion2 : FlagVersion3;

        if (r.has(ACommunity))
            r.copyText(ACommunity, rec.Community_String, CommunityMaxChars);
        else
            ConfigImage::SetText(rec.Community_String, kDefCommunity, CommunityMaxChars);
        if (r.has(AOid))
            r.copyText(AOid, rec.OID);

        if (r.upperIs(AType, QLatin1String("INT")))
            rec.Flags |= FlagInt;
        rec.Mode = r.upperIs(AMode, QLatin1String("GET")) ? ModeGet
            : r.upperIs(AMode, QLatin1String("SET"))      ? ModeSet
                                                          : ModeTrap;
        if (r.upperIs(AOnChange, QLatin1String("Y")))
            rec.Flags |= FlagOnChange;
        if (r.upperIs(AOnCommand, QLatin1String("Y")))
            rec.Flags |= FlagOnCommand;
        if (r.upperIs(AOnTimer, QLatin1String("Y")))
            rec.Flags |= FlagOnTimer;
        rec.Time = quint32(r.number(ATime, 1000));
        rec.Position = quint16(r.number(APosition, 0));
        rec.Number_Bytes = quint8(r.number(ANumberBytes, 1));
        rec.ConvertFrom = r.conversionCode();
        if (r.upperIs(ACancel, QLatin1String("Y")))
            rec.Flags |= FlagCancel;
        ++g.Num_Requests;
    }
    return surplus;
}

CompileOutcome Compiler::compileLoaded(const pugi::xml_document* parGen, const pugi::xml_document* snmpManager)
{
    m_image.SetImageDefaults();
    m_image.ClearRequestTable();
    CompileCommParams(parGen);
    CompileOutcome r;
    r.surplusRows = CompileRequests(snmpManager);
    if (m_output.size() != ImageSize)
        m_output = QByteArray(ImageSize, '\0');
    m_imageLength = m_image.WriteGeneralBlock(m_output, m_image.WriteRequestTable(m_output, 0));
    return r;
}

CompileOutcome Compiler::CompileProject(const QString& parGenPath, const QString& snmpManagerPath)
{
    m_output.clear();
    m_imageLength = 0;
    CompileOutcome r;
    pugi::xml_document parGen;
    pugi::xml_document snmp;
    const XmlLoad lp = LoadXmlFile(parGenPath, parGen);
    const XmlLoad ls = lp.status == XmlLoad::Error ? XmlLoad() : LoadXmlFile(snmpManagerPath, snmp);
    for (const XmlLoad* l : {&lp, &ls}) {
        if (l->status == XmlLoad::Error) {
            r.status = CompileOutcome::LoadError;
            r.message = l->message;
            return r;
        }
    }
    return compileLoaded(lp.ok() ? &parGen : nullptr, ls.ok() ? &snmp : nullptr);
}

CompileOutcome Compiler::CompileDocuments(const QByteArray& parGen, const QByteArray& snmpManager,
                                          const QString& parGenName, const QString& snmpManagerName)
{
    m_output.clear();
    m_imageLength = 0;
    CompileOutcome r;
    pugi::xml_document pd;
    pugi::xml_document sd;
    const struct {
        const QByteArray& bytes;
        const QString& name;
        pugi::xml_document& doc;
    } docs[2] = {{parGen, parGenName, pd}, {snmpManager, snmpManagerName, sd}};
    for (const auto& d : docs) {
        if (d.bytes.isNull())
            continue;
        const XmlLoad l = LoadXmlBytes(d.bytes, d.name, d.doc);
        if (!l.ok()) {
            r.status = CompileOutcome::LoadError;
            r.message = l.message;
            return r;
        }
    }
    return compileLoaded(parGen.isNull() ? nullptr : &pd, snmpManager.isNull() ? nullptr : &sd);
}

CompileOutcome Compiler::WriteBankFile(const QString& bankPath) const
{
    CompileOutcome r;
    if (m_imageLength != ImageSize) {
        r.status = CompileOutcome::WriteError;
        r.message = QDir::toNativeSeparators(bankPath) + QStringLiteral(": no compiled image to write");
        return r;
    }
    QString error;
    // The image is compiled again before every update: the cheaper
    // replacement is enough for it.
    if (!WriteRebuiltFileAtomic(bankPath, m_output.left(m_imageLength), &error)) {
        r.status = CompileOutcome::WriteError;
        r.message = error;
    }
    return r;
}

CompileOutcome CompileProjectToFile(const QString& parGenPath, const QString& snmpManagerPath,
                                    const QString& bankPath)
{
    Compiler c;
    const CompileOutcome compiled = c.CompileProject(parGenPath, snmpManagerPath);
    if (!compiled.ok())
        return compiled;
    CompileOutcome written = c.WriteBankFile(bankPath);
    written.surplusRows = compiled.surplusRows;
    return written;
}

} // namespace kv
