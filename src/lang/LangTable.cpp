#include "lang/LangTable.h"

namespace kv {

LangTable::LangTable()
{
    LoadDefaultTexts();
}

void LangTable::LoadDefaultTexts()
{
    // Implicitly shared: a language load starts from the defaults without
    // copying 1300 strings.
    m_texts = DefaultTexts();
}

QString LangTable::Get(int index) const
{
    if (index < 0 || index >= m_texts.size())
        return QString();
    return m_texts.at(index);
}

void LangTable::Put(int index, const QString& text)
{
    if (index < 0 || index >= m_texts.size())
        return;
    m_texts[index] = text;
}

} // namespace kv
