#pragma once
#include "common/XmlUtil.h"
#include "compiler/ConfigImage.h"

#include <QByteArray>
#include <QString>

namespace pugi {
class xml_document;
}

namespace kv {

// Outcome of compiling a configuration into its image file.
struct CompileOutcome {
    // RowRefused: a value that its field of the image cannot hold whole (an
    // enabled row's Num Bytes outside 0..255, Community Name over 15
    // characters or OID over 96; a name of station over 16), or a text with
    // a character the device would get as another byte (above U+00FF).
    // Nothing is cut or changed: the compile stops at the first such value.
    enum Status { Ok, LoadError, WriteError, RowRefused };
    // The field a RowRefused names.
    enum Field { NoField, NumberBytesField, CommunityField, OidField, SnmpNameField, ProfinetNameField };
    Status status = Ok;
    QString message;      // for LoadError and WriteError: file name and reason
    Field field = NoField; // for RowRefused
    int row = 0;          // for RowRefused of a request field: the row's number in the table, from 1
    char32_t character = 0; // for RowRefused of a text: the character it cannot hold, 0 when it is too long
    int surplusRows = 0;  // enabled rows beyond the 512 records, not compiled
    bool ok() const { return status == Ok; }
};

class LangTable;
class CompiledRowText;

// What the user is told of a compile that failed.
QString CompileMessage(const CompileOutcome& outcome, const LangTable& lang);

// Compiles ParGen.xml and SNMP_Manager.xml (either may be missing) and writes
// the 67,584-byte image to bankPath through the atomic file write.  Nothing
// is written when a document cannot be loaded.
CompileOutcome CompileProjectToFile(const QString& parGenPath, const QString& snmpManagerPath,
                                    const QString& bankPath);

// Conversion code of a ConvertFrom text: 1 "FLOAT", 2 "FLOAT * 10",
// 3 "FLOAT * 100" (after trimming and upper-casing), 0 for anything else.
quint8 ConversionCode(const QString& text);

// Turns a configuration's two documents into the configuration image and
// writes it.  One object holds the image and its output buffer; every
// compile starts again from the defaults.
class Compiler {
public:
    // Reads the documents from disk.  A missing file is no error; a file that
    // cannot be read or is not well-formed gives LoadError and leaves no
    // image to write.
    CompileOutcome CompileProject(const QString& parGenPath, const QString& snmpManagerPath);

    // Same from bytes in memory; a null QByteArray stands for a missing
    // document.  The names are used in messages.
    CompileOutcome CompileDocuments(const QByteArray& parGen, const QByteArray& snmpManager,
                                    const QString& parGenName = QStringLiteral("ParGen.xml"),
                                    const QString& snmpManagerName = QStringLiteral("SNMP_Manager.xml"));

    // Writes the compiled image through the atomic file write: the old file
    // stays as it was when anything fails.
    CompileOutcome WriteBankFile(const QString& bankPath) const;

    const ConfigImage& Image() const { return m_image; }
    // The serialised image (ImageSize bytes after a successful compile,
    // empty otherwise).
    const QByteArray& Output() const { return m_output; }
    int ImageLength() const { return m_imageLength; }

private:
    // Compiles documents already read (each FileRead tells whether it was
    // there).  The first error stops the compile, in this order: reading
    // ParGen.xml, parsing it, reading the table, parsing the table.
    CompileOutcome compile(const FileRead& parGenRead, const QByteArray& parGen, const QString& parGenName,
                           const FileRead& tableRead, const QByteArray& tableBytes, const QString& tableName);
    // The steps of a compile, on already loaded documents (null: the
    // document does not exist).
    void CompileCommParams(const pugi::xml_document* doc);
    void CompileRequests(const pugi::xml_document* doc);
    void beginRequests();
    void compileRow(const CompiledRowText& r, int tableRow);

    ConfigImage m_image;
    QByteArray m_output;
    int m_imageLength = 0;
    // Keeps the first value refused; row 0 for a name of station.
    void refuse(CompileOutcome::Field field, int row, char32_t character = 0);
    // Whether the device can take the text as it is: every character one it
    // keeps, then fitsLength; refuses it when not.
    bool admitText(const QString& text, bool fitsLength, CompileOutcome::Field field, int row);

    int m_surplus = 0;
    CompileOutcome::Field m_refusedField = CompileOutcome::NoField;
    int m_refusedRow = 0;
    char32_t m_refusedChar = 0;
};

} // namespace kv
