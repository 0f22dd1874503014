#include "compiler/Compiler.h"

#include "common/AtomicFile.h"
#include "common/Files.h"
#include "common/NumberRule.h"
#include "common/XmlUtil.h"
#include "compiler/PlainTable.h"
#include "documents/CommParams.h"
#include "documents/SnmpRequests.h"
#include "documents/TextChecks.h"


#include <pugixml.hpp>

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

// The compile's own defaults for a ParGen.xml that exists but lacks a key.
const AddressQuad kDefSnmpIp = {192, 168, 0, 10};
const AddressQuad kDefPnIp = {192, 168, 0, 5};
const AddressQuad kDefMask = {255, 255, 255, 0};
const AddressQuad kDefGateway = {192, 168, 0, 1};
const AddressQuad kNoGateway = {255, 255, 255, 255};

const QString kDefStationName = QStringLiteral("devicename1");

// Attributes of a request row: the table's columns, in the order the
// editor writes them (Mnemonic is looked up only so that the one-pass
// lookup stays in step).
enum RowAttr {
    AEnable = ColEnable - 1, AIpAddress = ColIpAddress - 1, AVersion = ColVersion - 1,
    ACommunity = ColCommunity - 1, AOid = ColOid - 1, AType = ColType - 1, AMode = ColMode - 1,
    AOnChange = ColOnChange - 1, AOnCommand = ColOnCommand - 1, AOnTimer = ColOnTimer - 1, ATime = ColTime - 1,
    APosition = ColPosition - 1, ANumberBytes = ColNumberBytes - 1, AConvertFrom = ColConvertFrom - 1,
    ACancel = ColCancel - 1, AMnemonic = ColMnemonic - 1, ACount = SnmpFieldCount
};

const QString kDefCommunity = QStringLiteral("marble");
constexpr int CommunityMaxChars = 15; // the 16th byte always ends the text

const AttributeNames kRowNames(SnmpRequest::AttributeNames(), ACount);

// Upper-cased (a to z only), compared exactly with an upper-case ASCII
// word; with trim, characters of code 32 and below at either end are
// dropped first.  Done on the UTF-8 bytes: a character outside ASCII never
// matches, as with the text itself.
bool upperEquals(QByteArrayView text, QLatin1String word, bool trim)
{
    const char* p = text.data();
    qsizetype b = 0;
    qsizetype e = text.size();
    if (trim) {
        while (b < e && uchar(p[b]) <= 32)
            ++b;
        while (e > b && uchar(p[e - 1]) <= 32)
            --e;
    }
    if (e - b != word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        char c = p[b + i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
        if (c != word.data()[i])
            return false;
    }
    return true;
}

quint8 conversionCodeOf(QByteArrayView text)
{
    if (upperEquals(text, QLatin1String("FLOAT"), true))
        return 1;
    if (upperEquals(text, QLatin1String("FLOAT * 10"), true))
        return 2;
    if (upperEquals(text, QLatin1String("FLOAT * 100"), true))
        return 3;
    return 0;
}

// Reads the attributes of a row element of the parsed document into one
// view per name, left without data where the row lacks it.  Attributes are
// visited once; the first of a repeated name counts.
void readRowElement(const pugi::xml_node& row, QByteArrayView* values)
{
    int expected = 0;
    for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        const int idx = kRowNames.Find(name, std::strlen(name), expected);
        if (idx < 0)
            continue;
        if (!values[idx].data())
            values[idx] = QByteArrayView(a.value());
        expected = idx + 1;
    }
}

} // namespace

// The values of one row, as bytes; a view without data where the attribute
// is missing (an empty value still has data).
struct Compiler::RowValues {
    const QByteArrayView* v; // one per RowAttr

    bool has(RowAttr a) const { return v[a].data() != nullptr; }
    // The number rule on the attribute's bytes; fallback when missing or not
    // a number.
    qint32 number(RowAttr a, qint32 fallback) const
    {
        if (!has(a))
            return fallback;
        // Up to nine plain decimal digits, what the editor writes, need
        // none of the rule's blanks, signs and hexadecimal forms.
        const QByteArrayView t = v[a];
        if (t.size() > 0 && t.size() <= 9) {
            qint32 n = 0;
            qsizetype i = 0;
            for (; i < t.size(); ++i) {
                const unsigned d = unsigned(uchar(t[i])) - '0';
                if (d > 9)
                    break;
                n = n * 10 + qint32(d);
            }
            if (i == t.size())
                return n;
        }
        qint32 n = 0;
        return ToInt32(t, n) ? n : fallback;
    }
    // Copies the attribute into a text field: straight from the bytes when
    // those that fit are ASCII (one byte, one character), else through the
    // text's UTF-16 code units.
    template <size_t N>
    void copyText(RowAttr a, std::array<quint8, N>& field, int maxChars = int(N)) const
    {
        const char* p = v[a].data();
        const size_t n = size_t(qMin(v[a].size(), qsizetype(qMin(int(N), maxChars))));
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
            ConfigImage::SetText(field, QString::fromUtf8(v[a]), maxChars);
            return;
        }
        std::memcpy(field.data(), p, n);
        std::memset(field.data() + n, 0, N - n);
    }
    bool upperIs(RowAttr a, QLatin1String word) const { return has(a) && upperEquals(v[a], word, false); }
    bool trimmedUpperIs(RowAttr a, QLatin1String word) const { return has(a) && upperEquals(v[a], word, true); }
    quint8 conversionCode() const { return conversionCodeOf(v[AConvertFrom]); }
};

namespace {

// The four octet keys of an address group.
void readQuad(const pugi::xml_node& root, CommParamsOctetGroup group, const AddressQuad& def, AddressQuad& target)
{
    const CommParamsOctets& keys = CommParamsOctetGroupOf(group);
    // An octet keeps the low 8 bits: 300 is stored as 44, -1 as 255.
    for (int i = 0; i < 4; ++i)
        target[size_t(i)] = quint8(ChildInt32Or(root, CommParamsKeyName(keys.octets[i]), def[size_t(i)]));
}

// A missing flag element or the text "0" means no gateway is used.
void applyGatewayFlag(const pugi::xml_node& root, CommParamsOctetGroup group, AddressQuad& gateway)
{
    QString t;
    if (!ChildText(root, CommParamsKeyName(CommParamsOctetGroupOf(group).enable), t) || t == QLatin1String("0"))
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
    return conversionCodeOf(text.toUtf8());
}

void Compiler::CompileCommParams(const pugi::xml_document* doc)
{
    if (!doc)
        return; // no ParGen.xml: the image defaults stay
    // The first top-level node is the root whatever it is; a comment or
    // declaration there makes every key read as missing.
    const pugi::xml_node root = FirstTopNode(*doc);
    GeneralBlock& g = m_image.General;
    readQuad(root, SnmpIpGroup, kDefSnmpIp, g.SNMP_Manager_IP);
    readQuad(root, SnmpSmGroup, kDefMask, g.SNMP_Manager_SM);
    readQuad(root, SnmpGatGroup, kDefGateway, g.SNMP_Manager_GAT);
    applyGatewayFlag(root, SnmpGatGroup, g.SNMP_Manager_GAT);
    ConfigImage::SetText(g.SNMP_Name_of_Station, stationName(root, "SNMP_Name_of_Station"));
    readQuad(root, PnIpGroup, kDefPnIp, g.PROFINET_IP);
    readQuad(root, PnSmGroup, kDefMask, g.PROFINET_SM);
    readQuad(root, PnGatGroup, kDefGateway, g.PROFINET_GAT);
    applyGatewayFlag(root, PnGatGroup, g.PROFINET_GAT);
    ConfigImage::SetText(g.PROFINET_NAME_STA, stationName(root, "PROFINET_NAME_STA"));
}

void Compiler::beginRequests()
{
    GeneralBlock& g = m_image.General;
    g.Num_Requests = 0;
    g.Request_Table_Const = RequestTableConstValue;
    m_surplus = 0;
}

void Compiler::compileRow(const RowValues& r)
{
    GeneralBlock& g = m_image.General;
    if (r.has(AEnable) && !r.trimmedUpperIs(AEnable, QLatin1String("Y")))
        return;
    if (g.Num_Requests >= quint32(RequestRecordCount)) {
        ++m_surplus; // only from a file edited by hand: the image has 512 records
        return;
    }
    // Every record was cleared before the first row.
    RequestRecord& rec = m_image.RequestTable[g.Num_Requests];

    // A missing or empty address gives no bytes: 0.0.0.0.  An invalid
    // part gives 0 while the valid parts keep their bytes.
    std::array<quint8, 4> ip = {0, 0, 0, 0};
    if (r.has(AIpAddress))
        CheckIpAddressText(r.v[AIpAddress], ip);
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

void Compiler::CompileRequests(const pugi::xml_document* doc)
{
    beginRequests();
    if (!doc)
        return;
    const pugi::xml_node root = FirstTopNode(*doc);
    for (pugi::xml_node row = root.first_child(); row; row = row.next_sibling()) {
        // Only elements are rows: a comment or stray text inside the table
        // must not turn into a request with every value defaulted.
        if (row.type() == pugi::node_element) {
            QByteArrayView values[ACount];
            readRowElement(row, values);
            compileRow(RowValues{values});
        }
    }
}

bool Compiler::compilePlainTable(QByteArray& bytes)
{
    const PlainTableScan scan(kRowNames);
    beginRequests();
    const qsizetype size = bytes.size();
    bytes.resize(size + PlainTableScan::Padding, '\0');
    const char* data = bytes.constData();
    const bool plain
        = scan.Scan(data, data + size, [this](const QByteArrayView* values) { compileRow(RowValues{values}); });
    bytes.resize(size); // the capacity stays for the next compile
    if (plain)
        return true;
    // Not the plain form: the rows reported so far do not count.
    m_image.ClearRequestTable();
    beginRequests();
    return false;
}

CompileOutcome Compiler::compile(const FileRead& parGenRead, const QByteArray& parGen, const QString& parGenName,
                                 const FileRead& tableRead, const QString& tableName)
{
    m_output.resize(0);
    m_imageLength = 0;
    const auto loadError = [](const QString& message) {
        CompileOutcome r;
        r.status = CompileOutcome::LoadError;
        r.message = message;
        return r;
    };
    if (parGenRead.status == FileRead::Error)
        return loadError(parGenRead.message);
    pugi::xml_document parGenDoc;
    if (parGenRead.ok()) {
        const XmlLoad l = LoadXmlBytes(parGen, parGenName, parGenDoc);
        if (!l.ok())
            return loadError(l.message);
    }
    if (tableRead.status == FileRead::Error)
        return loadError(tableRead.message);
    m_image.SetImageDefaults();
    m_image.ClearRequestTable();
    CompileCommParams(parGenRead.ok() ? &parGenDoc : nullptr);

    // The table is read straight from its bytes when it has the plain form
    // the editor writes; anything else goes through the XML parser.
    if (!tableRead.ok()) {
        CompileRequests(nullptr);
    } else if (!m_plainScan || !compilePlainTable(m_tableBytes)) {
        pugi::xml_document tableDoc;
        const XmlLoad l = LoadXmlBytes(m_tableBytes, tableName, tableDoc);
        if (!l.ok())
            return loadError(l.message);
        CompileRequests(&tableDoc);
    }
    CompileOutcome r;
    r.surplusRows = m_surplus;
    if (m_output.size() != ImageSize)
        m_output.resize(ImageSize);
    m_imageLength = m_image.WriteGeneralBlock(m_output, m_image.WriteRequestTable(m_output, 0));
    return r;
}

CompileOutcome Compiler::CompileProject(const QString& parGenPath, const QString& snmpManagerPath)
{
    QByteArray parGen;
    const FileRead p = ReadWholeFile(parGenPath, parGen);
    // Room for the scan's padding, so that adding it needs no new buffer.
    const FileRead t = ReadWholeFile(snmpManagerPath, m_tableBytes, PlainTableScan::Padding);
    return compile(p, parGen, parGenPath, t, snmpManagerPath);
}

CompileOutcome Compiler::CompileDocuments(const QByteArray& parGen, const QByteArray& snmpManager,
                                          const QString& parGenName, const QString& snmpManagerName)
{
    const auto present = [](const QByteArray& bytes) {
        FileRead f;
        f.status = bytes.isNull() ? FileRead::Missing : FileRead::Ok;
        return f;
    };
    m_tableBytes = snmpManager;
    return compile(present(parGen), parGen, parGenName, present(snmpManager), snmpManagerName);
}

CompileOutcome Compiler::WriteBankFile(const QString& bankPath) const
{
    CompileOutcome r;
    if (m_imageLength != ImageSize) {
        r.status = CompileOutcome::WriteError;
        r.message = FileMessage(bankPath, QStringLiteral("no compiled image to write"));
        return r;
    }
    QString error;
    // The image is compiled again before every update: the cheaper
    // replacement is enough for it.
    if (!WriteFileAtomic(bankPath, m_output.left(m_imageLength), &error)) {
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
