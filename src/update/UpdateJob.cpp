#include "update/UpdateJob.h"

#include "common/XmlUtil.h"

#include <QDir>

namespace kv {

namespace {

// The two operations differ only in these values; the rest is common.
struct OperationValues {
    QString fileName;
    const char* startAddress;
    const char* bankType;
    const char* writeCss;
    const char* addressCss;
    const char* goToAppAfter;
};

void appendOperation(pugi::xml_node operations, const OperationValues& v, bool readBack)
{
    pugi::xml_node op = operations.append_child("Operation");
    AppendTextElement(op, "Ope_Protection_Enabled", QString());
    AppendTextElement(op, "Ope_GoToBoot_Before", QStringLiteral("0"));
    AppendTextElement(op, "Ope_GoToApp_Before", QStringLiteral("0"));
    AppendTextElement(op, "Ope_IP_Address", QString());
    AppendTextElement(op, "Ope_Port", QStringLiteral("2008"));
    AppendTextElement(op, "Ope_Port_Sec", QStringLiteral("2007"));
    AppendTextElement(op, "Ope_Erase_Memory", QStringLiteral("0"));
    AppendTextElement(op, "Ope_FileName", v.fileName);
    AppendTextElement(op, "Ope_Start_Address", QLatin1String(v.startAddress));
    AppendTextElement(op, "Ope_Memory_Type", QStringLiteral("0"));
    AppendTextElement(op, "Ope_Bank_Type", QLatin1String(v.bankType));
    AppendTextElement(op, "Ope_Read_Back", readBack ? QStringLiteral("1") : QStringLiteral("0"));
    AppendTextElement(op, "Ope_Write_CSS", QLatin1String(v.writeCss));
    AppendTextElement(op, "Ope_Address_CSS", QLatin1String(v.addressCss));
    AppendTextElement(op, "Ope_Command_CSS", QStringLiteral("0x0B"));
    AppendTextElement(op, "Ope_GoToApp_After", QLatin1String(v.goToAppAfter));
}

} // namespace

QString UpdaterProgramPath(const QString& exeDir)
{
    return exeDir + QStringLiteral("/Ethernet_Update") + QLatin1String(KV_EXECUTABLE_SUFFIX);
}

QString UpdateJobPath(const QString& exeDir)
{
    return exeDir + QLatin1Char('/') + UpdateJobFileName;
}

QString FirmwareImagePath(const QString& masterDir)
{
    return masterDir + QStringLiteral("/Img52013.sim");
}

QString ConfigurationImagePath(const QString& activeProjectDir)
{
    return activeProjectDir + QStringLiteral("/bin/bank.bin");
}

QStringList UpdateJobFiles(const UpdateJobInput& in)
{
    QStringList files;
    if (in.updateOption == 0 || in.updateOption == 1)
        files << FirmwareImagePath(in.masterDir);
    if (in.updateOption == 0 || in.updateOption == 2)
        files << ConfigurationImagePath(in.activeProjectDir);
    return files;
}

void Compile_XML_Parameter(pugi::xml_document& doc, const UpdateJobInput& in)
{
    doc.reset();
    pugi::xml_node root = doc.append_child("Ethernet_Update");
    AppendTextElement(root, "Version", QStringLiteral("1000"));
    AppendTextElement(root, "Title", QStringLiteral("TolvexNet - KV52013 Ethernet Update"));
    AppendTextElement(root, "IP_Address_Dev", in.deviceAddress);
    AppendTextElement(root, "Application_Port", QStringLiteral("10000"));
    AppendTextElement(root, "Boot_Port", QStringLiteral("2008"));
    AppendTextElement(root, "Boot_Port_Sec", QStringLiteral("2007"));
    AppendTextElement(root, "Address_Protection", QStringLiteral("0x78000"));
    pugi::xml_node protections = root.append_child("Protections");
    // The device identifier of the converter, as in its GSDML description.
    AppendTextElement(protections, "Protection", QStringLiteral("0x19A"));
    pugi::xml_node operations = root.append_child("Operations");

    if (in.updateOption == 0 || in.updateOption == 1) {
        // The firmware restarts the application itself only when no
        // configuration follows it.
        appendOperation(operations,
                        {QDir::toNativeSeparators(FirmwareImagePath(in.masterDir)), "0x8000", "1", "1", "0x78100",
                         in.updateOption == 1 ? "1" : "0"},
                        in.readBack);
    }
    if (in.updateOption == 0 || in.updateOption == 2) {
        appendOperation(operations,
                        {QDir::toNativeSeparators(ConfigurationImagePath(in.activeProjectDir)), "0x58000", "2", "0",
                         "0x50100", "1"},
                        in.readBack);
    }
}

QByteArray UpdateJobBytes(const UpdateJobInput& in)
{
    pugi::xml_document doc;
    Compile_XML_Parameter(doc, in);
    return SaveXmlBytes(doc);
}

bool WriteUpdateJob(pugi::xml_document& doc, const UpdateJobInput& in, const QString& path, QString* error)
{
    Compile_XML_Parameter(doc, in);
    return SaveXmlFile(doc, path, error);
}

} // namespace kv
