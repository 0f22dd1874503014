// Any bytes as an image for `kv52013-cli inspect`, as text and as JSON.
// Odd first bytes make the input exactly one image long, so most inputs
// reach the decoder instead of the size check.
#include "../tools/cli/Cli.h"
#include "FuzzFile.h"
#include "compiler/ConfigImage.h"

#include <cstddef>
#include <cstdint>

// The command's output is built in full and then dropped.
void Out(const QString& text) { (void)text.size(); }
void Err(const QString& text) { (void)text.size(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1)) {
        bytes.resize(kv::ImageSize, '\0');
    }
    const QString path = FuzzFile("bank.bin", reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    CmdInspect(QStringList{path});
    CmdInspect(QStringList{path, QStringLiteral("--json")});
    return 0;
}
