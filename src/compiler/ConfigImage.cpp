#include "compiler/ConfigImage.h"

#include <cstring>

namespace kv {

namespace {

void put16(uchar* p, quint16 v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}

void put32(uchar* p, quint32 v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
    p[2] = uchar(v >> 16);
    p[3] = uchar(v >> 24);
}

quint16 get16(const uchar* p)
{
    return quint16(p[0] | (p[1] << 8));
}

quint32 get32(const uchar* p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

template <size_t N>
void putBytes(uchar* p, const std::array<quint8, N>& a)
{
    std::memcpy(p, a.data(), N);
}

template <size_t N>
void getBytes(const uchar* p, std::array<quint8, N>& a)
{
    std::memcpy(a.data(), p, N);
}

// Makes room for size bytes at pos, so that no write goes past the buffer.
uchar* region(QByteArray& out, int pos, int size)
{
    if (out.size() < pos + size)
        out.resize(pos + size);
    uchar* p = reinterpret_cast<uchar*>(out.data()) + pos;
    std::memset(p, 0, size_t(size));
    return p;
}

void writeRecord(uchar* p, const RequestRecord& r)
{
    put16(p + 0x00, r.Position);
    put32(p + 0x04, r.Time);
    putBytes(p + 0x08, r.Community_String);
    putBytes(p + 0x18, r.OID);
    put32(p + 0x78, r.IP_Address);
    p[0x7C] = r.ConvertFrom;
    p[0x7D] = r.Mode;
    p[0x7E] = r.Number_Bytes;
    p[0x7F] = r.Flags;
}

void readRecord(const uchar* p, RequestRecord& r)
{
    r.Position = get16(p + 0x00);
    r.Time = get32(p + 0x04);
    getBytes(p + 0x08, r.Community_String);
    getBytes(p + 0x18, r.OID);
    r.IP_Address = get32(p + 0x78);
    r.ConvertFrom = p[0x7C];
    r.Mode = p[0x7D];
    r.Number_Bytes = p[0x7E];
    r.Flags = p[0x7F];
}

} // namespace

void ConfigImage::SetImageDefaults()
{
    General = GeneralBlock();
    General.Fixed000 = 125000;
    General.Fixed00C = 9600;
    General.Fixed010 = 8;
    General.PROFINET_IP = {192, 168, 2, 205};
    General.PROFINET_SM = {255, 255, 255, 0};
    General.PROFINET_GAT = {255, 255, 255, 255};
    General.Fixed034 = 10000;
    General.Fixed036 = 10001;
    General.Fixed038 = 10001;
    General.Fixed03C = 9600;
    General.Fixed040 = 8;
    // Everything else, SNMP Manager addresses included, starts at zero.
}

void ConfigImage::ClearRequestTable()
{
    RequestTable.fill(RequestRecord());
}

int ConfigImage::WriteRequestTable(QByteArray& out, int pos) const
{
    uchar* p = region(out, pos, RequestTableSize);
    for (int i = 0; i < RequestRecordCount; ++i)
        writeRecord(p + i * RequestRecordSize, RequestTable[size_t(i)]);
    return pos + RequestTableSize;
}

int ConfigImage::WriteGeneralBlock(QByteArray& out, int pos) const
{
    uchar* p = region(out, pos, GeneralBlockSize);
    const GeneralBlock& g = General;
    put32(p + 0x000, g.Fixed000);
    put32(p + 0x00C, g.Fixed00C);
    put16(p + 0x010, g.Fixed010);
    putBytes(p + 0x028, g.PROFINET_IP);
    putBytes(p + 0x02C, g.PROFINET_SM);
    putBytes(p + 0x030, g.PROFINET_GAT);
    put16(p + 0x034, g.Fixed034);
    put16(p + 0x036, g.Fixed036);
    put16(p + 0x038, g.Fixed038);
    put32(p + 0x03C, g.Fixed03C);
    put16(p + 0x040, g.Fixed040);
    putBytes(p + 0x050, g.PROFINET_NAME_STA);
    putBytes(p + 0x130, g.SNMP_Manager_IP);
    putBytes(p + 0x134, g.SNMP_Manager_SM);
    putBytes(p + 0x138, g.SNMP_Manager_GAT);
    put32(p + NumRequestsOffset, g.Num_Requests);
    put32(p + 0x170, g.Request_Table_Const);
    putBytes(p + 0x1B8, g.SNMP_Name_of_Station);
    put32(p + BlockChecksumOffset, Block_Checksum(p));
    return pos + GeneralBlockSize;
}

QByteArray ConfigImage::Serialize() const
{
    QByteArray out(ImageSize, '\0');
    WriteGeneralBlock(out, WriteRequestTable(out, 0));
    return out;
}

quint32 ConfigImage::Block_Checksum(const uchar* block)
{
    // At most 2,044 x 255: the sum never wraps.
    quint32 sum = 0;
    for (int i = 0; i < BlockChecksumOffset; ++i)
        sum += block[i];
    return sum;
}

quint32 ConfigImage::StoredBlockChecksum(const uchar* block)
{
    return get32(block + BlockChecksumOffset);
}

bool ConfigImage::Decode(const QByteArray& image)
{
    if (image.size() != ImageSize)
        return false;
    const uchar* base = reinterpret_cast<const uchar*>(image.constData());
    for (int i = 0; i < RequestRecordCount; ++i)
        readRecord(base + i * RequestRecordSize, RequestTable[size_t(i)]);
    const uchar* p = base + RequestTableSize;
    GeneralBlock& g = General;
    g.Fixed000 = get32(p + 0x000);
    g.Fixed00C = get32(p + 0x00C);
    g.Fixed010 = get16(p + 0x010);
    getBytes(p + 0x028, g.PROFINET_IP);
    getBytes(p + 0x02C, g.PROFINET_SM);
    getBytes(p + 0x030, g.PROFINET_GAT);
    g.Fixed034 = get16(p + 0x034);
    g.Fixed036 = get16(p + 0x036);
    g.Fixed038 = get16(p + 0x038);
    g.Fixed03C = get32(p + 0x03C);
    g.Fixed040 = get16(p + 0x040);
    getBytes(p + 0x050, g.PROFINET_NAME_STA);
    getBytes(p + 0x130, g.SNMP_Manager_IP);
    getBytes(p + 0x134, g.SNMP_Manager_SM);
    getBytes(p + 0x138, g.SNMP_Manager_GAT);
    g.Num_Requests = get32(p + NumRequestsOffset);
    g.Request_Table_Const = get32(p + 0x170);
    getBytes(p + 0x1B8, g.SNMP_Name_of_Station);
    return true;
}

void ConfigImage::SetTextBytes(quint8* field, int size, const QString& text, int maxChars)
{
    std::memset(field, 0, size_t(size));
    const int n = qMin(qMin(size, maxChars), int(text.size()));
    const QChar* c = text.constData();
    for (int i = 0; i < n; ++i)
        field[i] = quint8(c[i].unicode() & 0xFF);
}

QString ConfigImage::FieldTextBytes(const quint8* field, int size)
{
    int n = 0;
    while (n < size && field[n] != 0)
        ++n;
    return QString::fromLatin1(reinterpret_cast<const char*>(field), n);
}

} // namespace kv
