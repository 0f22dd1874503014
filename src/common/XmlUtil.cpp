#include "common/XmlUtil.h"
#include "common/AtomicFile.h"
#include "common/FileMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

namespace {

FileRead readError(const QString& path, const QString& reason)
{
    FileRead r;
    r.status = FileRead::Error;
    r.message = FileMessage(path, reason);
    return r;
}

#ifdef Q_OS_UNIX

// One open, one fstat and one read for a regular file: none of the file
// engine's extra look-ups.
FileRead readUnix(const QString& path, QByteArray& bytes, qsizetype spare)
{
    FileRead r;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return r; // Missing
        return readError(path, SystemReason(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool dir = S_ISDIR(st.st_mode);
        ::close(fd);
        return readError(path, dir ? QStringLiteral("Is a directory") : QStringLiteral("Not a regular file"));
    }
    if (st.st_size >= MaxDocumentFileSize) {
        ::close(fd);
        return readError(path, QStringLiteral("File too large"));
    }
    const qsizetype size = qsizetype(st.st_size);
    if (bytes.capacity() < size + spare)
        bytes.reserve(size + spare);
    bytes.resize(size);
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            bytes.resize(0);
            return readError(path, SystemReason(err));
        }
        if (n == 0)
            break; // the file shrank meanwhile: what is there counts
        got += n;
    }
    ::close(fd);
    bytes.resize(got);
    r.status = FileRead::Ok;
    return r;
}
#endif

} // namespace

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, qsizetype spare)
{
#ifdef Q_OS_UNIX
    return readUnix(path, bytes, spare);
#else
    Q_UNUSED(spare);
    bytes.resize(0);
    QFileInfo fi(path);
    if (!fi.exists())
        return FileRead(); // Missing
    if (fi.isDir())
        return readError(path, QStringLiteral("Is a directory"));
    if (fi.size() >= MaxDocumentFileSize)
        return readError(path, QStringLiteral("File too large"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return readError(path, f.errorString());
    bytes = f.readAll();
    FileRead r;
    r.status = FileRead::Ok;
    return r;
#endif
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
