#include "requests/CompiledRow.h"

#include "common/NumberRule.h"
#include "common/TextRules.h"
#include "common/XmlUtil.h"
#include "requests/DeviceLimits.h"

namespace kv {

CompiledRowText::CompiledRowText(const pugi::xml_node& row)
{
    const char* const* names = SnmpRequest::AttributeNames();
    for (int a = 0; a < SnmpFieldCount; ++a)
        m_present[a] = AttributeText(row, names[a], m_text[a]);
}

CompiledRowText::CompiledRowText(const SnmpRequest& row)
{
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        m_text[c - 1] = row.field(c);
        m_present[c - 1] = true;
    }
}

qint32 CompiledRowText::number(int column, qint32 fallback) const
{
    return has(column) ? ToInt32Or(text(column), fallback) : fallback;
}

bool CompiledRowText::upperIs(int column, QLatin1String word) const
{
    return has(column) && UpperAscii(text(column)) == word;
}

bool CompiledRowText::compiled() const
{
    return !has(ColEnable) || RowIsCompiled(text(ColEnable));
}

RecordMode CompiledRowText::mode() const
{
    return upperIs(ColMode, QLatin1String("GET")) ? RecordGet
        : upperIs(ColMode, QLatin1String("SET"))  ? RecordSet
                                                  : RecordTrap;
}

quint16 CompiledRowText::position() const
{
    return quint16(number(ColPosition, 0));
}

bool CompiledRowText::numberBytesFits() const
{
    return !has(ColNumberBytes) || NumberBytesFits(text(ColNumberBytes));
}

quint8 CompiledRowText::numberBytes() const
{
    return quint8(number(ColNumberBytes, 1));
}

void ForEachCompiledRow(const pugi::xml_node& tableRoot,
                        const std::function<void(const CompiledRowText& row, int number)>& visit)
{
    int number = 0;
    for (pugi::xml_node row = tableRoot.first_child(); row; row = row.next_sibling()) {
        ++number;
        // A comment or stray text inside the table must not turn into a
        // request with every value defaulted.
        if (row.type() == pugi::node_element)
            visit(CompiledRowText(row), number);
    }
}

} // namespace kv
