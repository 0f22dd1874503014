// Any bytes as Tessaran.xml: reading never fails and never crashes.
#include "state/AppSettings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const kv::AppSettings s = kv::ReadSettingsBytes(bytes);
    // What was read must write back and read again to the same values.
    const kv::AppSettings again = kv::ReadSettingsBytes(kv::SettingsBytes(s));
    if (!(again == s))
        __builtin_trap();
    return 0;
}
