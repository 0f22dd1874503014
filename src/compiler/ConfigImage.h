#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

namespace kv {

// Sizes of the configuration image the converter receives (bank.bin).
constexpr int RequestRecordSize = 128;
constexpr int RequestRecordCount = 512;
constexpr int RequestTableSize = RequestRecordSize * RequestRecordCount; // 65,536
constexpr int GeneralBlockSize = 2048;
constexpr int ImageSize = RequestTableSize + GeneralBlockSize;           // 67,584

// Block offsets of the general block that readers of an image need.
constexpr int BlockChecksumOffset = 0x7FC;
constexpr int NumRequestsOffset = 0x16C;

// Value the device expects in Request_Table_Const of every compiled image.
constexpr quint32 RequestTableConstValue = 0x00058000;

// Bits of RequestRecord::Flags.
enum RequestFlag : quint8 {
    FlagOnChange = 0x01,
    FlagOnCommand = 0x02,
    FlagOnTimer = 0x04,
    FlagInt = 0x08,
    FlagVersion1 = 0x10,
    FlagVersion2 = 0x20,
    FlagVersion3 = 0x40, // every version other than 1 and 2
    FlagCancel = 0x80,
};

// RequestRecord::Mode codes.
enum RequestMode : quint8 { ModeGet = 0, ModeSet = 1, ModeTrap = 2 };

// One compiled request (128 bytes in the image).  Reserved bytes are not
// stored: the serialiser writes them as zero.
struct RequestRecord {
    quint16 Position = 0;                     // 0x00
    quint32 Time = 0;                         // 0x04
    std::array<quint8, 16> Community_String{}; // 0x08, at most 15 characters
    std::array<quint8, 96> OID{};             // 0x18
    quint32 IP_Address = 0;                   // 0x78, first octet most significant
    quint8 ConvertFrom = 0;                   // 0x7C
    quint8 Mode = 0;                          // 0x7D
    quint8 Number_Bytes = 0;                  // 0x7E
    quint8 Flags = 0;                         // 0x7F
};

using AddressQuad = std::array<quint8, 4>; // octets in reading order

// The named fields of the general block.  The Fixed... members hold values
// the device firmware expects and no setting changes; they are members so
// that an image read back from a file shows what it really holds.
struct GeneralBlock {
    quint32 Fixed000 = 0;  // 0x000
    quint32 Fixed00C = 0;  // 0x00C
    quint16 Fixed010 = 0;  // 0x010
    AddressQuad PROFINET_IP{};  // 0x028
    AddressQuad PROFINET_SM{};  // 0x02C
    AddressQuad PROFINET_GAT{}; // 0x030
    quint16 Fixed034 = 0;  // 0x034
    quint16 Fixed036 = 0;  // 0x036
    quint16 Fixed038 = 0;  // 0x038
    quint32 Fixed03C = 0;  // 0x03C
    quint16 Fixed040 = 0;  // 0x040
    std::array<quint8, 16> PROFINET_NAME_STA{}; // 0x050
    AddressQuad SNMP_Manager_IP{};  // 0x130
    AddressQuad SNMP_Manager_SM{};  // 0x134
    AddressQuad SNMP_Manager_GAT{}; // 0x138
    quint32 Num_Requests = 0;        // 0x16C
    quint32 Request_Table_Const = 0; // 0x170
    std::array<quint8, 16> SNMP_Name_of_Station{}; // 0x1B8
};

// The configuration image: 512 request records followed by the general
// block.  All integers little-endian; only the general block is covered by
// Block_Checksum.
class ConfigImage {
public:
    std::array<RequestRecord, RequestRecordCount> RequestTable{};
    GeneralBlock General;

    // Gives every general block field its default (fixed values included).
    void SetImageDefaults();
    // Zeroes every request record.
    void ClearRequestTable();
    // Write the region at pos (the buffer grows when it is too short) and
    // return pos plus the region's size.
    int WriteRequestTable(QByteArray& out, int pos) const;
    int WriteGeneralBlock(QByteArray& out, int pos) const;
    // Both regions, ImageSize bytes.
    QByteArray Serialize() const;

    // Byte sum over block offsets 0x000..0x7FB of a serialised general block.
    static quint32 Block_Checksum(const uchar* block);
    // The checksum a serialised general block holds at BlockChecksumOffset.
    static quint32 StoredBlockChecksum(const uchar* block);

    // Reads the named fields back from an image of exactly ImageSize bytes;
    // false (and nothing changed) for any other size.
    bool Decode(const QByteArray& image);

    // Copies the low 8 bits of each UTF-16 code unit, at most maxChars of
    // them, and zero-fills the rest of the field: nothing is written past it.
    // Only for a character U+0000..U+00FF are those bits the character
    // itself: the compile hands over no other (FitsDeviceBytes).
    template <size_t N>
    static void SetText(std::array<quint8, N>& field, const QString& text, int maxChars = int(N))
    {
        SetTextBytes(field.data(), int(N), text, maxChars);
    }
    // The text of a field, up to its first zero byte (bytes as Latin-1,
    // which is what the low-8-bit encoding gives back).
    template <size_t N>
    static QString FieldText(const std::array<quint8, N>& field)
    {
        return FieldTextBytes(field.data(), int(N));
    }

private:
    static void SetTextBytes(quint8* field, int size, const QString& text, int maxChars);
    static QString FieldTextBytes(const quint8* field, int size);
};

} // namespace kv
