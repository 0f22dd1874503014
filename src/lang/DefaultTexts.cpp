#include "lang/LangTable.h"

// PLACEHOLDER: the full table is transcribed by the text-table work.
namespace kv {

QString DefaultText(int index)
{
    switch (index) {
    case 18: return QStringLiteral("Error! Project not Valid");
    default: return QStringLiteral(" ");
    }
}

} // namespace kv
