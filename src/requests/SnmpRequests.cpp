#include "requests/SnmpRequests.h"

#include "requests/DeviceLimits.h"

#include "common/AtomicFile.h"
#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "requests/TextChecks.h"
#include "lang/LangTable.h"

#include <algorithm>
#include <array>

namespace kv {

namespace {

using FieldPtr = QString SnmpRequest::*;

// Column order is also the attribute order of the file.
const std::array<FieldPtr, SnmpFieldCount> kFields = {
    &SnmpRequest::Enable,      &SnmpRequest::IP_Address,   &SnmpRequest::Version,     &SnmpRequest::Community_String,
    &SnmpRequest::OID,         &SnmpRequest::Type,         &SnmpRequest::Mode,        &SnmpRequest::On_Change,
    &SnmpRequest::On_Command,  &SnmpRequest::On_Timer,     &SnmpRequest::Time,        &SnmpRequest::Position,
    &SnmpRequest::Number_Bytes, &SnmpRequest::ConvertFrom, &SnmpRequest::Cancel,      &SnmpRequest::Mnemonic,
};

const std::array<const char*, SnmpFieldCount> kAttributes = {
    "Enable", "IP_Address", "Version", "Community_String", "OID", "Type", "Mode", "On_Change",
    "On_Command", "On_Timer", "Time", "Position", "Number_Bytes", "ConvertFrom", "Cancel", "Mnemonic",
};

enum : int {
    TxtErrorRow = 637,
    TxtBadIp = 638,
    TxtBadTime = 645,
    TxtBadBytes = 646,
    TxtNoConversion = 656,
    TxtEmptyRowGap = 1214,
    TxtNoAddressGap = 1215,
};

// What a row gets for an attribute the file does not have.
QString missingAttributeDefault(int column, const QString& resetValue)
{
    switch (column) {
    case ColEnable:
        return QStringLiteral("Y");
    case ColOnChange:
    case ColOnCommand:
    case ColOnTimer:
    case ColCancel:
        return QStringLiteral("N");
    case ColConvertFrom:
        return QStringLiteral("None");
    default:
        return resetValue;
    }
}

bool isBlank(const QString& text)
{
    return TrimCtl(text).isEmpty();
}

// Nothing shows in the row but its check boxes.
bool isEmptyRow(const SnmpRequest& r)
{
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (!SnmpRequest::IsCheckBoxColumn(c) && !isBlank(r.field(c)))
            return false;
    }
    return true;
}

void fillRows(const pugi::xml_document& doc, SnmpTable& table)
{
    const pugi::xml_node root = FirstTopNode(doc);
    int i = 0;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling(), ++i) {
        if (i >= SnmpMaxRows) {
            ++table.surplusRows;
            continue;
        }
        SnmpRequest& row = table.rows[i];
        for (int c = 1; c <= SnmpFieldCount; ++c) {
            QString text;
            if (AttributeText(n, kAttributes[size_t(c - 1)], text))
                row.field(c) = text;
            else
                row.field(c) = missingAttributeDefault(c, row.field(c));
        }
    }
}

} // namespace

QString& SnmpRequest::field(int column)
{
    Q_ASSERT(column >= 1 && column <= SnmpFieldCount);
    return this->*kFields[size_t(column - 1)];
}

const QString& SnmpRequest::field(int column) const
{
    Q_ASSERT(column >= 1 && column <= SnmpFieldCount);
    return this->*kFields[size_t(column - 1)];
}

const char* SnmpRequest::AttributeName(int column)
{
    return column >= 1 && column <= SnmpFieldCount ? kAttributes[size_t(column - 1)] : "";
}

const char* const* SnmpRequest::AttributeNames()
{
    return kAttributes.data();
}

bool SnmpRequest::IsCheckBoxColumn(int column)
{
    return column == ColEnable || column == ColOnChange || column == ColOnCommand || column == ColOnTimer
        || column == ColCancel;
}

SnmpRequest SnmpRequest::ResetRow()
{
    SnmpRequest r;
    r.Enable = QStringLiteral("Y");
    return r;
}

QString SnmpMissingAttributeText(int column)
{
    return missingAttributeDefault(column, SnmpRequest::ResetRow().field(column));
}

bool SnmpRequest::operator==(const SnmpRequest& o) const
{
    for (const FieldPtr f : kFields) {
        if (this->*f != o.*f)
            return false;
    }
    return true;
}

SnmpTable::SnmpTable()
{
    Reset();
}

void SnmpTable::Reset()
{
    rows = QVector<SnmpRequest>(SnmpMaxRows, SnmpRequest::ResetRow());
    PositionChoiceCount = SnmpMaxPositionChoices;
    surplusRows = 0;
}

int PositionChoiceCount(const pugi::xml_document& parGen)
{
    const pugi::xml_node root = FirstTopNode(parGen);
    const int in = ChildInt32Or(root, "PROFINET_NB_IN", SnmpUnreadableAreaSize);
    const int out = ChildInt32Or(root, "PROFINET_NB_OUT", SnmpUnreadableAreaSize);
    // A negative size offers no choice, like a size of 0.
    return std::max(0, std::min(SnmpMaxPositionChoices, std::max(in, out)));
}

int PositionChoiceCount(const QString& parGenPath, XmlLoad* load)
{
    pugi::xml_document doc;
    const XmlLoad r = LoadXmlFile(parGenPath, doc);
    if (load)
        *load = r;
    return r.ok() ? PositionChoiceCount(doc) : SnmpMaxPositionChoices;
}

XmlLoad LoadSnmpRequests(const QString& parGenPath, const QString& snmpManagerPath, SnmpTable& table)
{
    XmlLoad parGen;
    const int choices = PositionChoiceCount(parGenPath, &parGen);
    if (parGen.status == XmlLoad::Error)
        return parGen;

    pugi::xml_document doc;
    XmlLoad snmp = LoadXmlFile(snmpManagerPath, doc);
    if (snmp.status == XmlLoad::Error)
        return snmp;

    SnmpTable fresh;
    fresh.PositionChoiceCount = choices;
    if (snmp.ok())
        fillRows(doc, fresh);
    table = std::move(fresh);
    XmlLoad ok;
    ok.status = XmlLoad::Ok;
    return ok;
}

XmlLoad LoadSnmpRequestsBytes(const QByteArray& bytes, const QString& name, SnmpTable& table)
{
    pugi::xml_document doc;
    const XmlLoad r = LoadXmlBytes(bytes, name, doc);
    if (!r.ok())
        return r;
    SnmpTable fresh;
    fillRows(doc, fresh);
    table = std::move(fresh);
    return r;
}

int SnmpContentRowCount(const QVector<SnmpRequest>& rows)
{
    const int n = std::min(int(rows.size()), SnmpMaxRows);
    for (int i = 0; i < n; ++i) {
        if (isBlank(rows[i].IP_Address))
            return i;
    }
    return n;
}

SnmpCheckResult CheckSnmpRequests(const QVector<SnmpRequest>& rows)
{
    const int n = std::min(int(rows.size()), SnmpMaxRows);
    const int content = SnmpContentRowCount(rows);
    // Saving stops at the first blank address: a filled row after that gap
    // would be dropped without a word, so the blank row fails, with what to
    // do about it.  Rows before it are checked first: the first failure in
    // row order wins.
    SnmpCheckResult gap;
    for (int i = content + 1; i < n; ++i) {
        if (!isBlank(rows[i].IP_Address)) {
            gap = {content + 1, isEmptyRow(rows[content]) ? TxtEmptyRowGap : TxtNoAddressGap};
            break;
        }
    }
    for (int i = 0; i < content; ++i) {
        const SnmpRequest& r = rows[i];
        const int row = i + 1;
        // The rows the compile takes ("y" too), so that none reaches the
        // device unchecked.
        if (!RowIsCompiled(r.Enable))
            continue;
        std::array<quint8, 4> bytes{};
        if (CheckIpAddressText(r.IP_Address, bytes))
            return {row, TxtBadIp};
        if (const int code = CheckOidText(r.OID))
            return {row, TxtBadIp + code};
        if ((TrimCtl(r.On_Timer) == QLatin1String("Y") || CheckBoxIsSet(ColOnTimer, r.On_Timer))
            && !InRange(r.Time, 1, 100000000))
            return {row, TxtBadTime};
        if (!InRange(r.Number_Bytes, 0, 1024))
            return {row, TxtBadBytes};
        if (TrimCtl(r.ConvertFrom).isEmpty())
            return {row, TxtNoConversion};
    }
    return gap;
}

bool Controllo_dati(const QVector<SnmpRequest>& rows, const LangTable& lang, QString* message)
{
    const SnmpCheckResult r = CheckSnmpRequests(rows);
    if (r.ok())
        return true;
    if (message)
        *message = lang.Get(TxtErrorRow) + QString::number(r.row) + lang.Get(r.textIndex);
    return false;
}

QByteArray SnmpRequestsXml(const QVector<SnmpRequest>& rows)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("SNMP_Agent_Access");
    doc.append_child(pugi::node_comment).set_value("SW_VERSION = 1.000");
    const int n = SnmpContentRowCount(rows);
    for (int i = 0; i < n; ++i) {
        pugi::xml_node row = root.append_child("row");
        for (int c = 1; c <= SnmpFieldCount; ++c)
            row.append_attribute(kAttributes[size_t(c - 1)]).set_value(Utf8(rows[i].field(c)).c_str());
    }
    return SaveXmlBytes(doc);
}

bool SaveSnmpRequests(const QVector<SnmpRequest>& rows, const QString& path, QString* error)
{
    return WriteFileAtomic(path, SnmpRequestsXml(rows), error);
}

} // namespace kv
