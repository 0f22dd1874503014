#include "common/XmlUtil.h"
#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    XmlLoad r;
    doc.reset();
    QFileInfo fi(path);
    if (!fi.exists()) {
        r.status = XmlLoad::Missing;
        return r;
    }
    QFile f(path);
    if (fi.isDir() || !f.open(QIODevice::ReadOnly)) {
        r.status = XmlLoad::Error;
        r.message = QDir::toNativeSeparators(path) + QStringLiteral(": ")
            + (fi.isDir() ? QStringLiteral("Is a directory") : f.errorString());
        return r;
    }
    // The file is read straight into a buffer the document owns and parses
    // in place: no copy of the bytes.
    const qint64 size = f.size();
    if (size > 0 && size < (qint64(1) << 31) && !f.isSequential()) {
        void* buf = pugi::get_memory_allocation_function()(size_t(size));
        if (buf && f.read(static_cast<char*>(buf), size) == size) {
            if (doc.load_buffer_inplace_own(buf, size_t(size), kParseOptions)) {
                r.status = XmlLoad::Ok;
                return r;
            }
            // Not well-formed: read again for the message with its position.
            f.seek(0);
            return LoadXmlBytes(f.readAll(), path, doc);
        }
        if (buf)
            pugi::get_memory_deallocation_function()(buf);
        f.seek(0);
    }
    return LoadXmlBytes(f.readAll(), path, doc);
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
