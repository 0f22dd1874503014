#pragma once
#include <QString>

namespace kv {

// Outcome of compiling a configuration into its image file.
struct CompileOutcome {
    enum Status { Ok, LoadError, WriteError };
    Status status = Ok;
    QString message;      // for errors: file name and reason
    int surplusRows = 0;  // enabled rows beyond the 512 records, not compiled
    bool ok() const { return status == Ok; }
};

// Compiles ParGen.xml and SNMP_Manager.xml (either may be missing) and writes
// the 67,584-byte image to bankPath through the atomic file write.  Nothing
// is written when a document cannot be loaded.
CompileOutcome CompileProjectToFile(const QString& parGenPath, const QString& snmpManagerPath,
                                    const QString& bankPath);

} // namespace kv
