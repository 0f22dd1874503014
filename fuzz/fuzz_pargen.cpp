// Any bytes as ParGen.xml: read with per-key defaults, checked; what is read
// writes back and reads again to the same record.
#include "FuzzFile.h"
#include "commparams/CommParams.h"
#include "lang/LangTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const kv::LangTable lang;
    const kv::CommParamsLoad load = kv::LoadCommParams(FuzzFile("ParGen.xml", data, size));
    if (!load.load.ok())
        return 0;
    QString message;
    kv::Controllo_Dati(load.params, lang, &message);
    const QByteArray bytes = kv::CommParamsBytes(load.params);
    const kv::CommParamsLoad again = kv::LoadCommParams(
        FuzzFile("ParGen2.xml", reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    if (!again.load.ok() || kv::CommParamsBytes(again.params) != bytes)
        __builtin_trap();
    return 0;
}
