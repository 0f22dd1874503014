#include "Cli.h"

#include "compiler/Compiler.h"
#include "compiler/ConfigImage.h"
#include "lang/LangTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

// compile PROJECT_DIR [-o FILE]
//   Compiles ParGen.xml and SNMP_Manager.xml of the configuration directory
//   into the configuration image, by default PROJECT_DIR/bin/bank.bin.
//   Exit status: 0 written; 1 a value its field of the image cannot hold
//   (an enabled row's Num Bytes outside 0..255, Community Name over 15
//   characters or OID over 96; a name of station over 16), named with its
//   row or field (nothing written); 2 bad arguments or a document that cannot
//   be loaded (nothing written); 3 the image cannot be written (the old
//   file, if any, is left as it was).
int CmdCompile(const QStringList& args)
{
    QString dir;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("-o") && i + 1 < args.size()) {
            out = args.at(++i);
        } else if (!a.startsWith(QLatin1Char('-')) && dir.isEmpty()) {
            dir = a;
        } else {
            Err(QStringLiteral("usage: kv52013-cli compile PROJECT_DIR [-o FILE]"));
            return 2;
        }
    }
    if (dir.isEmpty()) {
        Err(QStringLiteral("usage: kv52013-cli compile PROJECT_DIR [-o FILE]"));
        return 2;
    }
    if (!QFileInfo(dir).isDir()) {
        Err(QDir::toNativeSeparators(dir) + QStringLiteral(": not a configuration directory"));
        return 2;
    }
    const QString base = QDir::fromNativeSeparators(dir);
    if (out.isEmpty())
        out = base + QStringLiteral("/bin/bank.bin");

    kv::Compiler compiler;
    const kv::CompileOutcome compiled
        = compiler.CompileProject(base + QStringLiteral("/ParGen.xml"), base + QStringLiteral("/SNMP_Manager.xml"));
    if (compiled.status == kv::CompileOutcome::RowRefused) {
        Err(kv::CompileMessage(compiled, kv::LangTable()));
        return 1;
    }
    if (!compiled.ok()) {
        Err(compiled.message);
        return 2;
    }
    if (compiled.surplusRows > 0) {
        Err(QStringLiteral("warning: %1 enabled rows beyond the %2 request records were not compiled")
                .arg(compiled.surplusRows)
                .arg(kv::RequestRecordCount));
    }
    const kv::CompileOutcome written = compiler.WriteBankFile(out);
    if (!written.ok()) {
        Err(written.message);
        return 3;
    }
    Out(QStringLiteral("%1: %2 bytes, %3 requests")
            .arg(QDir::toNativeSeparators(out))
            .arg(compiler.ImageLength())
            .arg(compiler.Image().General.Num_Requests));
    return 0;
}

namespace {

struct FixedField {
    int offset;
    quint32 value;
    quint32 expected;
};

// Upper-case hexadecimal digits, zero-padded to width.
QString hexDigits(quint32 v, int width)
{
    return QStringLiteral("%1").arg(v, width, 16, QLatin1Char('0')).toUpper();
}

QString hex32(quint32 v)
{
    return QStringLiteral("0x") + hexDigits(v, 8);
}

QString dotted(const kv::AddressQuad& q)
{
    return QStringLiteral("%1.%2.%3.%4").arg(q[0]).arg(q[1]).arg(q[2]).arg(q[3]);
}

QString agentAddress(quint32 ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xFF).arg((ip >> 8) & 0xFF).arg(ip & 0xFF);
}

// A field's text for a person: control bytes shown as \xNN.
QString shown(const QString& text)
{
    QString s;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            s += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            s += QLatin1Char('\\') + c;
        else
            s += c;
    }
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString modeName(quint8 m)
{
    switch (m) {
    case kv::ModeGet: return QStringLiteral("Get");
    case kv::ModeSet: return QStringLiteral("Set");
    case kv::ModeTrap: return QStringLiteral("Trap");
    default: return QStringLiteral("unknown");
    }
}

QString conversionName(quint8 c)
{
    switch (c) {
    case 0: return QStringLiteral("None");
    case 1: return QStringLiteral("Float");
    case 2: return QStringLiteral("Float * 10");
    case 3: return QStringLiteral("Float * 100");
    default: return QStringLiteral("unknown");
    }
}

QStringList flagNames(quint8 f)
{
    static const struct {
        quint8 bit;
        const char* name;
    } names[] = {{kv::FlagOnChange, "On_Change"}, {kv::FlagOnCommand, "On_Command"}, {kv::FlagOnTimer, "On_Timer"},
                 {kv::FlagInt, "Int"},           {kv::FlagVersion1, "Version 1"},   {kv::FlagVersion2, "Version 2"},
                 {kv::FlagVersion3, "Version 3"}, {kv::FlagCancel, "Cancel"}};
    QStringList out;
    for (const auto& n : names) {
        if (f & n.bit)
            out << QString::fromLatin1(n.name);
    }
    return out;
}

bool allZero(const char* p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i])
            return false;
    }
    return true;
}

} // namespace

// inspect FILE [--json]
//   Decodes a configuration image for a person, or as one JSON object.
//   Exit status: 0 decoded; 1 decoded but the checksum differs, or the file
//   is not 67,584 bytes long (then it is not decoded at all); 2 bad
//   arguments or the file cannot be read.
int CmdInspect(const QStringList& args)
{
    QString path;
    bool json = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (!a.startsWith(QLatin1Char('-')) && path.isEmpty()) {
            path = a;
        } else {
            path.clear();
            break;
        }
    }
    if (path.isEmpty()) {
        Err(QStringLiteral("usage: kv52013-cli inspect FILE [--json]"));
        return 2;
    }
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile f(path);
    if (QFileInfo(path).isDir()) {
        Err(shownPath + QStringLiteral(": Is a directory"));
        return 2;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        Err(shownPath + QStringLiteral(": ") + f.errorString());
        return 2;
    }
    // Never read more than one byte past an image: enough to tell the size.
    const qint64 fileSize = f.size();
    const QByteArray bytes = f.read(kv::ImageSize + 1);

    QJsonObject j;
    j.insert(QStringLiteral("file"), shownPath);
    j.insert(QStringLiteral("size"), double(fileSize));
    j.insert(QStringLiteral("expectedSize"), kv::ImageSize);
    if (fileSize != kv::ImageSize || bytes.size() != kv::ImageSize) {
        j.insert(QStringLiteral("sizeOk"), false);
        if (json)
            Out(QString::fromUtf8(QJsonDocument(j).toJson(QJsonDocument::Indented)).trimmed());
        else
            Out(QStringLiteral("%1: %2 bytes, expected %3: WRONG SIZE, not decoded")
                    .arg(shownPath)
                    .arg(fileSize)
                    .arg(kv::ImageSize));
        return 1;
    }
    j.insert(QStringLiteral("sizeOk"), true);

    kv::ConfigImage img;
    img.Decode(bytes);
    const kv::GeneralBlock& g = img.General;
    const uchar* block = reinterpret_cast<const uchar*>(bytes.constData()) + kv::RequestTableSize;
    const quint32 stored = kv::ConfigImage::StoredBlockChecksum(block);
    const quint32 computed = kv::ConfigImage::Block_Checksum(block);
    const bool checksumOk = stored == computed;

    // What the decoded fields re-serialise to differs from the file only in
    // reserved bytes (and the checksum when that is wrong).
    int reservedNonZero = 0;
    int firstReserved = -1;
    {
        const QByteArray again = img.Serialize();
        for (int i = 0; i < kv::ImageSize; ++i) {
            if (i >= kv::RequestTableSize + kv::BlockChecksumOffset && i < kv::RequestTableSize + kv::BlockChecksumOffset + 4)
                continue;
            if (again.at(i) != bytes.at(i)) {
                ++reservedNonZero;
                if (firstReserved < 0)
                    firstReserved = i;
            }
        }
    }

    // The fixed values the device expects are those every compile starts from.
    kv::ConfigImage defaults;
    defaults.SetImageDefaults();
    const kv::GeneralBlock& d = defaults.General;
    const FixedField fixed[] = {{0x000, g.Fixed000, d.Fixed000}, {0x00C, g.Fixed00C, d.Fixed00C},
                                {0x010, g.Fixed010, d.Fixed010}, {0x034, g.Fixed034, d.Fixed034},
                                {0x036, g.Fixed036, d.Fixed036}, {0x038, g.Fixed038, d.Fixed038},
                                {0x03C, g.Fixed03C, d.Fixed03C}, {0x040, g.Fixed040, d.Fixed040}};
    bool fixedOk = true;
    for (const FixedField& x : fixed)
        fixedOk = fixedOk && x.value == x.expected;

    const quint32 numRequests = g.Num_Requests;
    const int counted = int(qMin<quint32>(numRequests, kv::RequestRecordCount));

    // General block
    QJsonObject jg;
    for (const FixedField& x : fixed)
        jg.insert(QStringLiteral("fixed_0x") + hexDigits(quint32(x.offset), 3), double(x.value));
    jg.insert(QStringLiteral("PROFINET_IP"), dotted(g.PROFINET_IP));
    jg.insert(QStringLiteral("PROFINET_SM"), dotted(g.PROFINET_SM));
    jg.insert(QStringLiteral("PROFINET_GAT"), dotted(g.PROFINET_GAT));
    jg.insert(QStringLiteral("PROFINET_NAME_STA"), kv::ConfigImage::FieldText(g.PROFINET_NAME_STA));
    jg.insert(QStringLiteral("SNMP_Manager_IP"), dotted(g.SNMP_Manager_IP));
    jg.insert(QStringLiteral("SNMP_Manager_SM"), dotted(g.SNMP_Manager_SM));
    jg.insert(QStringLiteral("SNMP_Manager_GAT"), dotted(g.SNMP_Manager_GAT));
    jg.insert(QStringLiteral("Num_Requests"), double(numRequests));
    jg.insert(QStringLiteral("Request_Table_Const"), double(g.Request_Table_Const));
    jg.insert(QStringLiteral("SNMP_Name_of_Station"), kv::ConfigImage::FieldText(g.SNMP_Name_of_Station));
    j.insert(QStringLiteral("general"), jg);
    j.insert(QStringLiteral("fixedValuesOk"), fixedOk);
    j.insert(QStringLiteral("checksum"), QJsonObject{{QStringLiteral("stored"), double(stored)},
                                                    {QStringLiteral("computed"), double(computed)},
                                                    {QStringLiteral("match"), checksumOk}});
    j.insert(QStringLiteral("reservedNonZero"), reservedNonZero);

    QStringList text;
    text << QStringLiteral("%1: %2 bytes").arg(shownPath).arg(fileSize);
    text << QStringLiteral("General block (file offset 0x10000)");
    QMap<int, QString> lines; // in block offset order
    auto line = [&](int offset, const QString& name, const QString& value) {
        lines.insert(offset, QStringLiteral("  0x%1 %2 %3").arg(hexDigits(quint32(offset), 3)).arg(name, -22).arg(value));
    };
    for (const FixedField& x : fixed) {
        line(x.offset, QStringLiteral("fixed"),
             x.value == x.expected ? QString::number(x.value)
                                   : QStringLiteral("%1  <-- DIFFERS, expected %2").arg(x.value).arg(x.expected));
    }
    line(0x028, QStringLiteral("PROFINET_IP"), dotted(g.PROFINET_IP));
    line(0x02C, QStringLiteral("PROFINET_SM"), dotted(g.PROFINET_SM));
    line(0x030, QStringLiteral("PROFINET_GAT"), dotted(g.PROFINET_GAT));
    line(0x050, QStringLiteral("PROFINET_NAME_STA"), shown(kv::ConfigImage::FieldText(g.PROFINET_NAME_STA)));
    line(0x130, QStringLiteral("SNMP_Manager_IP"), dotted(g.SNMP_Manager_IP));
    line(0x134, QStringLiteral("SNMP_Manager_SM"), dotted(g.SNMP_Manager_SM));
    line(0x138, QStringLiteral("SNMP_Manager_GAT"), dotted(g.SNMP_Manager_GAT));
    line(kv::NumRequestsOffset, QStringLiteral("Num_Requests"),
         numRequests <= quint32(kv::RequestRecordCount)
             ? QString::number(numRequests)
             : QStringLiteral("%1  <-- MORE THAN THE %2 RECORDS").arg(numRequests).arg(kv::RequestRecordCount));
    line(0x170, QStringLiteral("Request_Table_Const"),
         g.Request_Table_Const == kv::RequestTableConstValue
             ? hex32(g.Request_Table_Const)
             : QStringLiteral("%1  <-- DIFFERS, expected %2").arg(hex32(g.Request_Table_Const), hex32(kv::RequestTableConstValue)));
    line(0x1B8, QStringLiteral("SNMP_Name_of_Station"), shown(kv::ConfigImage::FieldText(g.SNMP_Name_of_Station)));
    line(kv::BlockChecksumOffset, QStringLiteral("Block_Checksum"),
         QStringLiteral("stored %1, computed %2%3")
             .arg(hex32(stored), hex32(computed), checksumOk ? QStringLiteral(": ok") : QStringLiteral("  <-- CHECKSUM MISMATCH")));
    text << lines.values();
    if (reservedNonZero > 0)
        text << QStringLiteral("  reserved bytes not zero: %1 (first at file offset 0x%2)")
                    .arg(reservedNonZero)
                    .arg(hexDigits(quint32(firstReserved), 5));

    // Request records: those Num_Requests counts, and any other that holds
    // something (it would be a leftover the device ignores).
    QJsonArray jr;
    int shownRecords = 0;
    QStringList recText;
    for (int i = 0; i < kv::RequestRecordCount; ++i) {
        const bool counts = i < counted;
        if (!counts && allZero(bytes.constData() + i * kv::RequestRecordSize, kv::RequestRecordSize))
            continue;
        ++shownRecords;
        const kv::RequestRecord& r = img.RequestTable[size_t(i)];
        const QString community = kv::ConfigImage::FieldText(r.Community_String);
        const QString oid = kv::ConfigImage::FieldText(r.OID);
        const QStringList flags = flagNames(r.Flags);
        QJsonObject o;
        o.insert(QStringLiteral("record"), i);
        o.insert(QStringLiteral("offset"), i * kv::RequestRecordSize);
        o.insert(QStringLiteral("counted"), counts);
        o.insert(QStringLiteral("Position"), r.Position);
        o.insert(QStringLiteral("Time"), double(r.Time));
        o.insert(QStringLiteral("Community_String"), community);
        o.insert(QStringLiteral("OID"), oid);
        o.insert(QStringLiteral("IP_Address"), agentAddress(r.IP_Address));
        o.insert(QStringLiteral("ConvertFrom"), r.ConvertFrom);
        o.insert(QStringLiteral("ConvertFromName"), conversionName(r.ConvertFrom));
        o.insert(QStringLiteral("Mode"), r.Mode);
        o.insert(QStringLiteral("ModeName"), modeName(r.Mode));
        o.insert(QStringLiteral("Number_Bytes"), r.Number_Bytes);
        o.insert(QStringLiteral("Flags"), r.Flags);
        o.insert(QStringLiteral("FlagNames"), QJsonArray::fromStringList(flags));
        jr.append(o);

        recText << QStringLiteral("  #%1 (file offset 0x%2)%3")
                       .arg(i)
                       .arg(hexDigits(quint32(i * kv::RequestRecordSize), 5))
                       .arg(counts ? QString() : QStringLiteral("  <-- NOT COUNTED BY Num_Requests"));
        recText << QStringLiteral("      Position %1, Time %2 ms").arg(r.Position).arg(r.Time);
        recText << QStringLiteral("      Community_String %1").arg(shown(community));
        recText << QStringLiteral("      OID %1").arg(shown(oid));
        recText << QStringLiteral("      IP_Address %1").arg(agentAddress(r.IP_Address));
        recText << QStringLiteral("      ConvertFrom %1 (%2), Mode %3 (%4), Number_Bytes %5")
                       .arg(conversionName(r.ConvertFrom))
                       .arg(r.ConvertFrom)
                       .arg(modeName(r.Mode))
                       .arg(r.Mode)
                       .arg(r.Number_Bytes);
        recText << QStringLiteral("      Flags 0x%1: %2")
                       .arg(hexDigits(r.Flags, 2))
                       .arg(flags.isEmpty() ? QStringLiteral("none") : flags.join(QStringLiteral(", ")));
    }
    j.insert(QStringLiteral("requests"), jr);
    text << QStringLiteral("Request records: %1 shown").arg(shownRecords);
    text << recText;

    if (json)
        Out(QString::fromUtf8(QJsonDocument(j).toJson(QJsonDocument::Indented)).trimmed());
    else
        Out(text.join(QLatin1Char('\n')));
    return checksumOk ? 0 : 1;
}
