#pragma once
#include "common/Files.h"

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

namespace kv {

// Outcome of loading an XML file.
struct XmlLoad {
    enum Status { Ok, Missing, Error };
    Status status = Missing;
    // For Error: "<file>: <parser's reason> at line L, column C" (or the
    // system's reason when the file cannot be read).
    QString message;
    bool ok() const { return status == Ok; }
};

// Loads a file into doc.  Comments and a <?xml ...?> declaration are kept as
// nodes, so that FirstTopNode sees them the way the configurator's readers
// expect: a document whose first node is not the root element reads as if
// every value were missing.
XmlLoad LoadXmlFile(const QString& path, pugi::xml_document& doc);

// Same, from bytes in memory (fuzzing, tests); name is used in messages.
XmlLoad LoadXmlBytes(const QByteArray& bytes, const QString& name, pugi::xml_document& doc);

// The document's first top-level node, whatever its kind.
pugi::xml_node FirstTopNode(const pugi::xml_document& doc);

// The first direct child element of parent with exactly this name.
pugi::xml_node ChildElement(const pugi::xml_node& parent, const char* name);

// The text of an element: true with the concatenated character data when
// the element holds nothing but text (an empty element gives ""); false
// when the node is not an element or holds anything else.
bool ElementText(const pugi::xml_node& element, QString& text);

// Text of parent > child, as ElementText; false when the child is missing.
bool ChildText(const pugi::xml_node& parent, const char* name, QString& text);

// Text of parent > child read by the number rule; fallback when the child
// is missing or its text is not a number.
qint32 ChildInt32Or(const pugi::xml_node& parent, const char* name, qint32 fallback);

// Attribute by name: false when missing, so that missing and empty differ.
bool AttributeText(const pugi::xml_node& element, const char* name, QString& text);

// Serialises without declaration, indentation or line breaks, UTF-8 with no
// byte-order mark.
QByteArray SaveXmlBytes(const pugi::xml_document& doc);

// Writes the document through the atomic file write.
bool SaveXmlFile(const pugi::xml_document& doc, const QString& path, QString* error = nullptr);

// QString to the UTF-8 pugixml works in (one std::string per call).
std::string Utf8(const QString& s);
QString FromUtf8(const char* s);

// Appends <name>text</name> to parent and returns it; an empty text gives an
// empty element.
pugi::xml_node AppendTextElement(pugi::xml_node parent, const char* name, const QString& text);

} // namespace kv
