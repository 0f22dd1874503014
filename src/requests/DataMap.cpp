#include "requests/DataMap.h"

#include "common/XmlUtil.h"
#include "requests/SnmpTableText.h"

#include <QSet>

namespace kv {

namespace {

DataMapRow mapRow(const CompiledRowText& r, int number)
{
    DataMapRow m;
    m.row = number;
    m.mode = r.mode();
    m.position = r.position();
    m.refused = !r.numberBytesFits();
    m.numberBytes = m.refused ? 0 : r.numberBytes();
    m.mnemonic = r.text(ColMnemonic);
    m.agent = r.text(ColIpAddress);
    m.oid = r.text(ColOid);
    m.type = r.text(ColType);
    return m;
}

// Collects the rows the compile writes: it stops taking rows once 512
// records are written; a refused row writes none.
class RowCollector {
public:
    void take(const CompiledRowText& r, int number)
    {
        if (!r.compiled() || m_written >= SnmpMaxRows)
            return;
        const DataMapRow m = mapRow(r, number);
        if (!m.refused)
            ++m_written;
        rows.append(m);
    }
    QVector<DataMapRow> rows;

private:
    int m_written = 0;
};

} // namespace

QVector<DataMapRow> DataMapRowsOf(const pugi::xml_node& tableRoot)
{
    RowCollector c;
    ForEachCompiledRow(tableRoot, [&c](const CompiledRowText& r, int number) { c.take(r, number); });
    return c.rows;
}

QVector<DataMapRow> DataMapRowsOf(const QVector<SnmpRequest>& rows)
{
    RowCollector c;
    const int count = SnmpContentRowCount(rows);
    for (int i = 0; i < count; ++i)
        c.take(CompiledRowText(rows.at(i)), i + 1);
    return c.rows;
}

DataMap ComputeDataMap(const QVector<DataMapRow>& rows, const AreaSizes& sizes)
{
    DataMap map;
    map.sizes = sizes;
    QVector<const DataMapRow*> gets;
    for (const DataMapRow& r : rows) {
        if (r.refused) {
            map.refused.append(r.row);
            continue;
        }
        if (r.numberBytes == 0)
            continue;
        map.placements.append({r.area(), r.row, r.from(), r.to(), r.mnemonic});
        const qint32 size = r.area() == DataArea::Out ? sizes.out : sizes.in;
        if (r.to() > size)
            map.outside.append({r.area(), r.row, r.from(), r.to(), size});
        if (r.area() == DataArea::Out)
            gets.append(&r);
    }
    // 512 rows give at most 130,816 pairs: comparing each pair is quick
    // enough and keeps the order plain.
    for (int a = 0; a < gets.size(); ++a) {
        for (int b = a + 1; b < gets.size(); ++b) {
            const int from = qMax(gets[a]->from(), gets[b]->from());
            const int to = qMin(gets[a]->to(), gets[b]->to());
            if (from < to)
                map.overlaps.append({gets[a]->row, gets[b]->row, from, to});
        }
    }
    return map;
}

DataMapLoad ReadDataMap(const QString& parGenPath, const QString& snmpManagerPath)
{
    DataMapLoad r;
    pugi::xml_document parGen;
    const XmlLoad p = LoadXmlFile(parGenPath, parGen);
    if (p.status == XmlLoad::Error) {
        r.load = p;
        return r;
    }
    const AreaSizes sizes = p.ok() ? ReadAreaSizes(FirstTopNode(parGen)) : AreaSizes();
    pugi::xml_document table;
    const XmlLoad t = LoadXmlFile(snmpManagerPath, table);
    if (t.status == XmlLoad::Error) {
        r.load = t;
        return r;
    }
    r.load.status = XmlLoad::Ok;
    if (t.ok())
        r.rows = DataMapRowsOf(FirstTopNode(table));
    r.map = ComputeDataMap(r.rows, sizes);
    return r;
}

// Tag names.  A PLC identifier (IEC 61131-3 and the controllers' own rules
// alike) is safe when it holds ASCII letters, digits and single underscores
// between them, starts with a letter and is unique ignoring case.  So:
//  - accents are dropped from letters (canonical decomposition without its
//    marks: "Drücke" -> "Drucke");
//  - every run of other characters, underscores included, becomes one "_",
//    and none is kept at either end ("Temp (C)" -> "Temp_C");
//  - a name that starts with a digit gets "tag_" in front ("1st" -> "tag_1st");
//  - nothing left gives "row_N", N the row's number;
//  - the first row with a name keeps it; a later row with the same name
//    (ignoring case) gets "_2", "_3", ... the lowest suffix that is neither
//    given yet nor any row's own name, so that a row whose own name is
//    "Temp_2" keeps it even when two rows before it are called "Temp".
namespace {

bool asciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool asciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString baseTagName(const DataMapRow& row)
{
    QString name;
    bool pendingSeparator = false;
    for (const QChar c : row.mnemonic.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (asciiLetter(c) || asciiDigit(c)) {
            if (pendingSeparator && !name.isEmpty())
                name += QLatin1Char('_');
            pendingSeparator = false;
            name += c;
        } else {
            pendingSeparator = true;
        }
    }
    if (name.isEmpty())
        return QStringLiteral("row_%1").arg(row.row);
    if (asciiDigit(name.front()))
        name.prepend(QLatin1String("tag_"));
    return name;
}

} // namespace

QStringList DataMapTagNames(const QVector<DataMapRow>& rows)
{
    QStringList bases;
    QSet<QString> own; // every row's own name, lower case
    for (const DataMapRow& r : rows) {
        bases << baseTagName(r);
        own.insert(bases.constLast().toLower());
    }
    QSet<QString> given;
    QStringList names;
    for (const QString& base : bases) {
        QString name = base;
        if (given.contains(name.toLower())) {
            for (int k = 2;; ++k) {
                name = base + QLatin1Char('_') + QString::number(k);
                if (!given.contains(name.toLower()) && !own.contains(name.toLower()))
                    break;
            }
        }
        given.insert(name.toLower());
        names << name;
    }
    return names;
}

QByteArray DataMapTagListCsv(const QVector<DataMapRow>& rows)
{
    QVector<DataMapRow> placed;
    for (const DataMapRow& r : rows) {
        if (!r.refused && r.numberBytes > 0)
            placed.append(r);
    }
    const QStringList tags = DataMapTagNames(placed);
    QByteArray out("\xEF\xBB\xBF");
    out += "Tag,Direction,Byte offset,Byte count,Type,Row,Agent,OID,Mnemonic\r\n";
    for (int i = 0; i < placed.size(); ++i) {
        const DataMapRow& r = placed.at(i);
        const QString fields[] = {
            tags.at(i),
            r.area() == DataArea::Out ? QStringLiteral("controller input") : QStringLiteral("controller output"),
            QString::number(r.from()),
            QString::number(r.numberBytes),
            r.type,
            QString::number(r.row),
            r.agent,
            r.oid,
            r.mnemonic,
        };
        for (const QString& f : fields) {
            if (&f != fields)
                out += ',';
            out += CsvField(f);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace kv
