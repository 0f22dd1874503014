#pragma once
#include "common/AreaSizes.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace kv {

// The three values of a configuration that go into its GSDML description.
struct ProfinetParams {
    qint32 InputBytes = AreaSizeDefault;  // PROFINET_NB_IN: length of the Output data item
    qint32 OutputBytes = AreaSizeDefault; // PROFINET_NB_OUT: length of the Input data item
    QString StationName = QStringLiteral("kd52016");
};

// Reads the values from ParGen.xml.  A missing file gives the defaults; a
// missing element, or a count that is no number, gives that value's default.
// Returns false, with "<file>: <reason>" in *error, only when the file exists
// but cannot be loaded; params then hold the defaults.
bool Read_Profinet_Param(const QString& parGenPath, ProfinetParams& params, QString* error = nullptr);

// The whole GSDML document: UTF-8 with byte-order mark, CR LF after every line.
QByteArray Profinet_XML_Bytes(const ProfinetParams& params);

struct ProfinetWriteResult {
    enum Status { Ok, ReadError, WriteError };
    Status status = Ok;
    QString message; // file name and reason, for the user
    bool ok() const { return status == Ok; }
};

// Reads ParGen.xml, then writes the description to targetPath (created or
// replaced as a whole).  A ParGen.xml that cannot be loaded leaves the target
// untouched.
ProfinetWriteResult Write_Profinet_XML(const QString& parGenPath, const QString& targetPath);

// Attribute-value escaping of & < > " ' for texts the user typed.
QString EscapeXmlAttribute(const QString& text);

} // namespace kv
