// Any bytes as a language file: malformed lines are skipped, nothing crashes.
#include "lang/LangTable.h"
#include "lang/Language.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const kv::LanguageFile f = kv::ParseLanguageBytes(bytes);
    kv::LangTable table;
    for (auto it = f.entries.cbegin(); it != f.entries.cend(); ++it) {
        // The reader only reports entries of the table (a value of two
        // pilcrows legitimately sets an empty text).
        if (it.key() < 0 || it.key() >= kv::LangTableSize)
            __builtin_trap();
        table.Put(it.key(), it.value());
    }
    if (table.size() != kv::LangTableSize)
        __builtin_trap();
    return 0;
}
