#include "compiler/Compiler.h"

// PLACEHOLDER: written by the compiler work.
namespace kv {

CompileOutcome CompileProjectToFile(const QString&, const QString&, const QString&)
{
    return CompileOutcome();
}

} // namespace kv
