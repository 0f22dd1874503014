#include "UpdaterJob.h"

#include "common/XmlUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const kOperationChildren[] = {
    "Ope_Protection_Enabled", "Ope_GoToBoot_Before", "Ope_GoToApp_Before", "Ope_IP_Address",
    "Ope_Port",               "Ope_Port_Sec",        "Ope_Erase_Memory",   "Ope_FileName",
    "Ope_Start_Address",      "Ope_Memory_Type",     "Ope_Bank_Type",      "Ope_Read_Back",
    "Ope_Write_CSS",          "Ope_Address_CSS",     "Ope_Command_CSS",    "Ope_GoToApp_After",
};

const char* const kRootChildren[] = {
    "Version", "Title", "IP_Address_Dev", "Application_Port", "Boot_Port", "Boot_Port_Sec", "Address_Protection",
};

quint32 littleEndian32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

void checkFile(UpdaterOperation& op)
{
    const QFileInfo info(op.fileName);
    if (!info.isFile()) {
        op.fileReport = QStringLiteral("missing");
        return;
    }
    if (op.bankType != QLatin1String("2")) {
        op.fileOk = true;
        op.fileReport = QStringLiteral("present, %1 bytes").arg(info.size());
        return;
    }
    QFile f(op.fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        op.fileReport = QStringLiteral("cannot be read: ") + f.errorString();
        return;
    }
    // An image of the right size is small; a wrong one is not read whole.
    const QByteArray bytes = f.read(kImageSize + 1);
    op.fileReport = CheckConfigurationImage(bytes);
    op.fileOk = op.fileReport.isEmpty();
    if (op.fileOk)
        op.fileReport = QStringLiteral("present, %1 bytes, checksum matches").arg(kImageSize);
}

} // namespace

QString UpdaterOperation::kind() const
{
    if (bankType == QLatin1String("1"))
        return QStringLiteral("Firmware");
    if (bankType == QLatin1String("2"))
        return QStringLiteral("Configuration");
    return QStringLiteral("Bank ") + bankType;
}

bool UpdaterJob::filesOk() const
{
    for (const UpdaterOperation& op : operations) {
        if (!op.fileOk)
            return false;
    }
    return true;
}

QString CheckConfigurationImage(const QByteArray& bytes)
{
    if (bytes.size() != kImageSize)
        return QStringLiteral("wrong size: %1 bytes instead of %2").arg(bytes.size()).arg(kImageSize);
    quint32 sum = 0;
    for (int i = kBlockStart; i < kChecksumOffset; ++i)
        sum += quint8(bytes[i]);
    const quint32 stored = littleEndian32(bytes, kChecksumOffset);
    if (stored != sum) {
        return QStringLiteral("checksum does not match: stored 0x%1, computed 0x%2")
            .arg(stored, 8, 16, QLatin1Char('0'))
            .arg(sum, 8, 16, QLatin1Char('0'));
    }
    return QString();
}

UpdaterJob ReadUpdaterJob(const QString& path)
{
    UpdaterJob job;
    pugi::xml_document doc;
    const kv::XmlLoad load = kv::LoadXmlFile(path, doc);
    if (load.status == kv::XmlLoad::Missing) {
        job.problems << QStringLiteral("%1: no job file").arg(QDir::toNativeSeparators(path));
        return job;
    }
    if (!load.ok()) {
        job.problems << load.message;
        return job;
    }
    const pugi::xml_node root = kv::FirstTopNode(doc);
    if (root.type() != pugi::node_element || std::string(root.name()) != "Ethernet_Update") {
        job.problems << QStringLiteral("the job file has no Ethernet_Update root element first");
        return job;
    }
    QString text;
    for (const char* name : kRootChildren) {
        if (!kv::ChildText(root, name, text))
            job.problems << QStringLiteral("%1 is missing").arg(QLatin1String(name));
    }
    kv::ChildText(root, "Version", job.version);
    kv::ChildText(root, "Title", job.title);
    kv::ChildText(root, "IP_Address_Dev", job.deviceAddress);
    if (job.deviceAddress.isEmpty())
        job.problems << QStringLiteral("IP_Address_Dev is empty");
    if (!kv::ChildText(kv::ChildElement(root, "Protections"), "Protection", text))
        job.problems << QStringLiteral("Protections/Protection is missing");

    const pugi::xml_node operations = kv::ChildElement(root, "Operations");
    if (!operations)
        job.problems << QStringLiteral("Operations is missing");
    for (pugi::xml_node n = operations.child("Operation"); n; n = n.next_sibling("Operation")) {
        UpdaterOperation op;
        for (const char* name : kOperationChildren) {
            if (!kv::ChildText(n, name, text))
                job.problems << QStringLiteral("operation %1: %2 is missing")
                                    .arg(job.operations.size() + 1)
                                    .arg(QLatin1String(name));
        }
        kv::ChildText(n, "Ope_FileName", op.fileName);
        kv::ChildText(n, "Ope_Bank_Type", op.bankType);
        kv::ChildText(n, "Ope_Start_Address", op.startAddress);
        kv::ChildText(n, "Ope_Read_Back", text);
        op.readBack = text == QLatin1String("1");
        kv::ChildText(n, "Ope_GoToApp_After", text);
        op.goToAppAfter = text == QLatin1String("1");
        if (op.bankType != QLatin1String("1") && op.bankType != QLatin1String("2"))
            job.problems << QStringLiteral("operation %1: unknown bank type \"%2\"")
                                .arg(job.operations.size() + 1)
                                .arg(op.bankType);
        if (op.fileName.isEmpty()) {
            op.fileReport = QStringLiteral("no file named");
        } else {
            checkFile(op);
        }
        job.operations.append(op);
    }
    if (operations && (job.operations.isEmpty() || job.operations.size() > 2))
        job.problems << QStringLiteral("%1 operations; one or two expected").arg(job.operations.size());
    job.wellFormed = job.problems.isEmpty();
    return job;
}

QStringList UpdaterJob::lines() const
{
    QStringList out;
    out << QStringLiteral("Device address: %1").arg(deviceAddress);
    for (int i = 0; i < operations.size(); ++i) {
        const UpdaterOperation& op = operations[i];
        out << QStringLiteral("Operation %1: %2 at %3, read back %4, start the application after it %5")
                   .arg(i + 1)
                   .arg(op.kind(), op.startAddress, op.readBack ? QStringLiteral("yes") : QStringLiteral("no"),
                        op.goToAppAfter ? QStringLiteral("yes") : QStringLiteral("no"));
        out << QStringLiteral("  File: %1 (%2)").arg(QDir::toNativeSeparators(op.fileName), op.fileReport);
    }
    for (const QString& p : problems)
        out << QStringLiteral("Job error: ") + p;
    out << (exitStatus() == 0 ? QStringLiteral("The job and its files are in order.")
                              : QStringLiteral("The job cannot be carried out."));
    out << QStringLiteral("This build has no transfer to a real device: nothing is sent to the device.");
    out << QStringLiteral("Exit status: %1").arg(exitStatus());
    return out;
}
