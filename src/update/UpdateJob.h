#pragma once
#include <QString>
#include <QStringList>
#include <pugixml.hpp>

namespace kv {

// What the updater's job file is made of: the values of the update dialog
// and the workspace folders.
struct UpdateJobInput {
    QString deviceAddress;   // the four boxes joined with ".", as typed
    int updateOption = 0;    // 0 firmware + configuration, 1 firmware, 2 configuration
    bool readBack = false;
    QString masterDir;       // folder of the firmware image
    QString activeProjectDir; // folder of the configuration (bank.bin is in its bin folder)
};

// File name of the job file; it lies beside the configurator.
inline const QString UpdateJobFileName = QStringLiteral("Ethernet_Update.xml");
// The updater program beside the configurator, with the platform's suffix.
QString UpdaterProgramPath(const QString& exeDir);
QString UpdateJobPath(const QString& exeDir);

// The files the job hands to the updater, in the order of its operations:
// the firmware image (options 0 and 1), then the configuration image
// (options 0 and 2).
QString FirmwareImagePath(const QString& masterDir);
QString ConfigurationImagePath(const QString& activeProjectDir);
QStringList UpdateJobFiles(const UpdateJobInput& in);

// Empties doc and builds the job document in it (Compile_XML_Parameter).
void Compile_XML_Parameter(pugi::xml_document& doc, const UpdateJobInput& in);

// The job document as it is saved.
QByteArray UpdateJobBytes(const UpdateJobInput& in);

// Builds the job in doc and writes it whole to path; false with the file
// name and the reason in *error when it cannot be written.
bool WriteUpdateJob(pugi::xml_document& doc, const UpdateJobInput& in, const QString& path,
                    QString* error = nullptr);

} // namespace kv
