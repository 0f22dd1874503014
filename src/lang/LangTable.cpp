#include "lang/LangTable.h"

namespace kv {

LangTable::LangTable()
{
    LoadDefaultTexts();
}

void LangTable::LoadDefaultTexts()
{
    m_texts.clear();
    m_texts.reserve(LangTableSize);
    for (int i = 0; i < LangTableSize; ++i)
        m_texts.append(DefaultText(i));
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
