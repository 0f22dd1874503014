#include "common/XmlUtil.h"
#include "common/AtomicFile.h"
#include "common/NumberRule.h"

#include <QDir>

#include <cstring>

namespace kv {

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_comments | pugi::parse_declaration
    | pugi::parse_pi | pugi::parse_doctype;

// Line and column of a byte offset, for messages a person can act on.
void lineColumn(const QByteArray& bytes, ptrdiff_t offset, int& line, int& column)
{
    line = 1;
    column = 1;
    const ptrdiff_t end = qMin<ptrdiff_t>(offset, bytes.size());
    for (ptrdiff_t i = 0; i < end; ++i) {
        if (bytes.at(i) == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

struct StringWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override
    {
        out.append(static_cast<const char*>(data), qsizetype(size));
    }
};

} // namespace

XmlLoad LoadXmlBytes(const QByteArray& bytes, const QString& name, pugi::xml_document& doc)
{
    XmlLoad r;
    doc.reset();
    const pugi::xml_parse_result res = doc.load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions);
    if (res) {
        r.status = XmlLoad::Ok;
        return r;
    }
    int line = 0;
    int column = 0;
    lineColumn(bytes, res.offset, line, column);
    r.status = XmlLoad::Error;
    r.message = QStringLiteral("%1: %2 at line %3, column %4")
                    .arg(QDir::toNativeSeparators(name), QString::fromLatin1(res.description()))
                    .arg(line)
                    .arg(column);
    doc.reset();
    return r;
}

XmlLoad LoadXmlFile(const QString& path, pugi::xml_document& doc)
{
    doc.reset();
    QByteArray bytes;
    const FileRead f = ReadWholeFile(path, bytes);
    if (f.status == FileRead::Ok)
        return LoadXmlBytes(bytes, path, doc);
    XmlLoad r;
    r.status = f.status == FileRead::Missing ? XmlLoad::Missing : XmlLoad::Error;
    r.message = f.message;
    return r;
}

pugi::xml_node FirstTopNode(const pugi::xml_document& doc)
{
    return doc.first_child();
}

pugi::xml_node ChildElement(const pugi::xml_node& parent, const char* name)
{
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element && std::strcmp(n.name(), name) == 0)
            return n;
    }
    return pugi::xml_node();
}

bool ElementText(const pugi::xml_node& element, QString& text)
{
    if (element.type() != pugi::node_element)
        return false;
    std::string acc;
    for (pugi::xml_node n = element.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_pcdata && n.type() != pugi::node_cdata)
            return false;
        acc += n.value();
    }
    text = QString::fromUtf8(acc.data(), qsizetype(acc.size()));
    return true;
}

bool ChildText(const pugi::xml_node& parent, const char* name, QString& text)
{
    const pugi::xml_node el = ChildElement(parent, name);
    return el && ElementText(el, text);
}

qint32 ChildInt32Or(const pugi::xml_node& parent, const char* name, qint32 fallback)
{
    QString text;
    qint32 value = 0;
    return ChildText(parent, name, text) && ToInt32(text, value) ? value : fallback;
}

bool AttributeText(const pugi::xml_node& element, const char* name, QString& text)
{
    if (element.type() != pugi::node_element)
        return false;
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
        if (std::strcmp(a.name(), name) == 0) {
            text = QString::fromUtf8(a.value());
            return true;
        }
    }
    return false;
}

QByteArray SaveXmlBytes(const pugi::xml_document& doc)
{
    StringWriter w;
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return w.out;
}

bool SaveXmlFile(const pugi::xml_document& doc, const QString& path, QString* error)
{
    return WriteFileAtomic(path, SaveXmlBytes(doc), error);
}

std::string Utf8(const QString& s)
{
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

QString FromUtf8(const char* s)
{
    return QString::fromUtf8(s);
}

pugi::xml_node AppendTextElement(pugi::xml_node parent, const char* name, const QString& text)
{
    pugi::xml_node el = parent.append_child(name);
    if (!text.isEmpty())
        el.append_child(pugi::node_pcdata).set_value(Utf8(text).c_str());
    return el;
}

} // namespace kv
