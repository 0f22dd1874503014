#include "compiler/Compiler.h"

#include "common/AtomicFile.h"
#include "common/Files.h"
#include "common/NumberRule.h"
#include "common/XmlUtil.h"
#include "common/TextRules.h"
#include "commparams/CommParams.h"
#include "requests/CompiledRow.h"
#include "requests/DeviceLimits.h"
#include "requests/SnmpRequests.h"
#include "requests/TextChecks.h"
#include "lang/LangTable.h"

#include <pugixml.hpp>


namespace kv {

namespace {

// The compile's own defaults for a ParGen.xml that exists but lacks a key.
const AddressQuad kDefSnmpIp = {192, 168, 0, 10};
const AddressQuad kDefPnIp = {192, 168, 0, 5};
const AddressQuad kDefMask = {255, 255, 255, 0};
const AddressQuad kDefGateway = {192, 168, 0, 1};
const AddressQuad kNoGateway = {255, 255, 255, 255};

const QString kDefStationName = QStringLiteral("devicename1");

const QString kDefCommunity = QStringLiteral("marble");

enum : int {
    TxtNumberBytesRefused = 39,
    TxtCommunityRefused = 1180,
    TxtOidRefused = 1181,
    TxtStationNameRefused = 1182,
    TxtCommunityCharRefused = 1238,
    TxtOidCharRefused = 1239,
    TxtStationNameCharRefused = 1240,
    TxtSnmpNameLabel = 408,
    TxtProfinetNameLabel = 556,
};

// The limits the editors, the check and the compile share are the sizes of
// the image's fields.
template <typename Array>
constexpr int fieldSize = int(std::tuple_size<Array>::value);
static_assert(fieldSize<decltype(RequestRecord::Community_String)> == CommunityMaxChars + 1);
static_assert(fieldSize<decltype(RequestRecord::OID)> == OidMaxChars);
static_assert(fieldSize<decltype(GeneralBlock::PROFINET_NAME_STA)> == StationNameMaxChars);
static_assert(fieldSize<decltype(GeneralBlock::SNMP_Name_of_Station)> == StationNameMaxChars);
static_assert(NumberBytesMax == 0xFF);
static_assert(int(ModeGet) == int(RecordGet) && int(ModeSet) == int(RecordSet) && int(ModeTrap) == int(RecordTrap));

} // namespace

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
    readQuad(root, SnmpIpGroup, kDefSnmpIp, g.SNMP_Manager_IP);
    readQuad(root, SnmpSmGroup, kDefMask, g.SNMP_Manager_SM);
    readQuad(root, SnmpGatGroup, kDefGateway, g.SNMP_Manager_GAT);
    applyGatewayFlag(root, SnmpGatGroup, g.SNMP_Manager_GAT);
    const QString snmpName = stationName(root, "SNMP_Name_of_Station");
    if (admitText(snmpName, StationNameFits(snmpName), CompileOutcome::SnmpNameField, 0))
        ConfigImage::SetText(g.SNMP_Name_of_Station, snmpName);
    readQuad(root, PnIpGroup, kDefPnIp, g.PROFINET_IP);
    readQuad(root, PnSmGroup, kDefMask, g.PROFINET_SM);
    readQuad(root, PnGatGroup, kDefGateway, g.PROFINET_GAT);
    applyGatewayFlag(root, PnGatGroup, g.PROFINET_GAT);
    const QString profinetName = stationName(root, "PROFINET_NAME_STA");
    if (admitText(profinetName, StationNameFits(profinetName), CompileOutcome::ProfinetNameField, 0))
        ConfigImage::SetText(g.PROFINET_NAME_STA, profinetName);
}

void Compiler::beginRequests()
{
    GeneralBlock& g = m_image.General;
    g.Num_Requests = 0;
    g.Request_Table_Const = RequestTableConstValue;
    m_surplus = 0;
}

void Compiler::refuse(CompileOutcome::Field field, int row, char32_t character)
{
    if (m_refusedField != CompileOutcome::NoField)
        return;
    m_refusedField = field;
    m_refusedRow = row;
    m_refusedChar = character;
}

bool Compiler::admitText(const QString& text, bool fitsLength, CompileOutcome::Field field, int row)
{
    // The character first: a text that has none above U+00FF is as long in
    // bytes as in the characters the engineer sees, so its length message
    // counts what the engineer counts.
    if (const char32_t c = FirstNonDeviceChar(text)) {
        refuse(field, row, c);
        return false;
    }
    if (!fitsLength) {
        refuse(field, row);
        return false;
    }
    return true;
}

void Compiler::compileRow(const CompiledRowText& r, int tableRow)
{
    GeneralBlock& g = m_image.General;
    if (!r.compiled())
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
    if (r.has(ColIpAddress))
        CheckIpAddressText(r.text(ColIpAddress), ip);
    rec.IP_Address = (quint32(ip[0]) << 24) | (quint32(ip[1]) << 16) | (quint32(ip[2]) << 8) | quint32(ip[3]);

    const qint32 version = r.number(ColVersion, 1);
    rec.Flags = version == 1 ? FlagVersion1 : version == 2 ? FlagVersion2 : FlagVersion3;

    // A text its field cannot hold as it is, whole, is refused, never cut or
    // changed: the device would use another community or object than the
    // engineer tested.
    const QString& community = r.has(ColCommunity) ? r.text(ColCommunity) : kDefCommunity;
    if (!admitText(community, CommunityFits(community), CompileOutcome::CommunityField, tableRow))
        return;
    ConfigImage::SetText(rec.Community_String, community, CommunityMaxChars);
    if (r.has(ColOid)) {
        const QString& oid = r.text(ColOid);
        if (!admitText(oid, OidFits(oid), CompileOutcome::OidField, tableRow))
            return;
        ConfigImage::SetText(rec.OID, oid);
    }

    if (r.upperIs(ColType, QLatin1String("INT")))
        rec.Flags |= FlagInt;
    rec.Mode = r.mode();
    if (r.upperIs(ColOnChange, QLatin1String("Y")))
        rec.Flags |= FlagOnChange;
    if (r.upperIs(ColOnCommand, QLatin1String("Y")))
        rec.Flags |= FlagOnCommand;
    if (r.upperIs(ColOnTimer, QLatin1String("Y")))
        rec.Flags |= FlagOnTimer;
    rec.Time = quint32(r.number(ColTime, 1000));
    rec.Position = r.position();
    // The record holds the byte count in one byte: a larger count would
    // silently become another one (300 as 44), so the compile stops.
    if (!r.numberBytesFits())
        return refuse(CompileOutcome::NumberBytesField, tableRow);
    rec.Number_Bytes = r.numberBytes();
    rec.ConvertFrom = ConversionCode(r.text(ColConvertFrom));
    if (r.upperIs(ColCancel, QLatin1String("Y")))
        rec.Flags |= FlagCancel;
    ++g.Num_Requests;
}

void Compiler::CompileRequests(const pugi::xml_document* doc)
{
    beginRequests();
    if (!doc)
        return;
    // Rows are numbered as the table editor shows them.
    ForEachCompiledRow(FirstTopNode(*doc), [this](const CompiledRowText& row, int number) { compileRow(row, number); });
}

CompileOutcome Compiler::compile(const FileRead& parGenRead, const QByteArray& parGen, const QString& parGenName,
                                 const FileRead& tableRead, const QByteArray& tableBytes, const QString& tableName)
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
    m_refusedField = CompileOutcome::NoField;
    m_refusedRow = 0;
    m_refusedChar = 0;
    CompileCommParams(parGenRead.ok() ? &parGenDoc : nullptr);

    pugi::xml_document tableDoc;
    if (tableRead.ok()) {
        const XmlLoad l = LoadXmlBytes(tableBytes, tableName, tableDoc);
        if (!l.ok())
            return loadError(l.message);
    }
    CompileRequests(tableRead.ok() ? &tableDoc : nullptr);
    CompileOutcome r;
    r.surplusRows = m_surplus;
    if (m_refusedField != CompileOutcome::NoField) {
        r.status = CompileOutcome::RowRefused;
        r.field = m_refusedField;
        r.row = m_refusedRow;
        r.character = m_refusedChar;
        return r; // no image to write
    }
    if (m_output.size() != ImageSize)
        m_output.resize(ImageSize);
    m_imageLength = m_image.WriteGeneralBlock(m_output, m_image.WriteRequestTable(m_output, 0));
    return r;
}

CompileOutcome Compiler::CompileProject(const QString& parGenPath, const QString& snmpManagerPath)
{
    QByteArray parGen;
    QByteArray table;
    const FileRead p = ReadWholeFile(parGenPath, parGen);
    const FileRead t = ReadWholeFile(snmpManagerPath, table);
    return compile(p, parGen, parGenPath, t, table, snmpManagerPath);
}

CompileOutcome Compiler::CompileDocuments(const QByteArray& parGen, const QByteArray& snmpManager,
                                          const QString& parGenName, const QString& snmpManagerName)
{
    const auto present = [](const QByteArray& bytes) {
        FileRead f;
        f.status = bytes.isNull() ? FileRead::Missing : FileRead::Ok;
        return f;
    };
    return compile(present(parGen), parGen, parGenName, present(snmpManager), snmpManager, snmpManagerName);
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
    if (!WriteFileAtomic(bankPath, m_output.left(m_imageLength), &error)) {
        r.status = CompileOutcome::WriteError;
        r.message = error;
    }
    return r;
}

QString CompileMessage(const CompileOutcome& outcome, const LangTable& lang)
{
    if (outcome.status != CompileOutcome::RowRefused)
        return outcome.message;
    if (outcome.character) {
        const QString c = DeviceCharText(outcome.character);
        const QString row = QString::number(outcome.row);
        switch (outcome.field) {
        case CompileOutcome::CommunityField:
            return lang.Get(TxtCommunityCharRefused).arg(row, c);
        case CompileOutcome::OidField:
            return lang.Get(TxtOidCharRefused).arg(row, c);
        case CompileOutcome::SnmpNameField:
            return lang.Get(TxtStationNameCharRefused).arg(lang.Get(TxtSnmpNameLabel), c);
        default:
            return lang.Get(TxtStationNameCharRefused).arg(lang.Get(TxtProfinetNameLabel), c);
        }
    }
    switch (outcome.field) {
    case CompileOutcome::CommunityField:
        return lang.Get(TxtCommunityRefused).arg(outcome.row);
    case CompileOutcome::OidField:
        return lang.Get(TxtOidRefused).arg(outcome.row);
    case CompileOutcome::SnmpNameField:
        return lang.Get(TxtStationNameRefused).arg(lang.Get(TxtSnmpNameLabel));
    case CompileOutcome::ProfinetNameField:
        return lang.Get(TxtStationNameRefused).arg(lang.Get(TxtProfinetNameLabel));
    default:
        return lang.Get(TxtNumberBytesRefused).arg(outcome.row);
    }
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
