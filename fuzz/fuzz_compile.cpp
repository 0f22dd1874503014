// Any bytes as the two documents (ParGen.xml, then SNMP_Manager.xml after a
// line "@@SNMP@@"): the compile either refuses a document or gives an image
// of exactly 67,584 bytes whose checksum matches its general block.
#include "compiler/Compiler.h"
#include "compiler/ConfigImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray all = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray sep("\n@@SNMP@@\n");
    const qsizetype at = all.indexOf(sep);
    const QByteArray parGen = at < 0 ? all : all.left(at);
    const QByteArray snmp = at < 0 ? QByteArray() : all.mid(at + sep.size());
    kv::Compiler c;
    const kv::CompileOutcome r = c.CompileDocuments(parGen, snmp);
    if (!r.ok())
        return 0;
    const QByteArray& out = c.Output();
    if (c.ImageLength() != kv::ImageSize || out.size() < kv::ImageSize)
        __builtin_trap();
    const uchar* block = reinterpret_cast<const uchar*>(out.constData()) + kv::RequestTableSize;
    if (kv::ConfigImage::StoredBlockChecksum(block) != kv::ConfigImage::Block_Checksum(block))
        __builtin_trap();
    return 0;
}
