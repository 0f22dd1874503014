#pragma once
#include <QString>
#include <QVector>

namespace kv {

constexpr int LangTableSize = 1300;

// The indexed table of every text the configurator shows.  Built with the
// default English texts; a language file replaces entries by index.
class LangTable {
public:
    LangTable(); // holds the default texts
    // Empties the table and fills it with the 1300 default texts.
    void LoadDefaultTexts();
    // Text of an entry; an index outside the table gives an empty text.
    QString Get(int index) const;
    // Replaces one entry; an index outside the table is ignored.
    void Put(int index, const QString& text);
    int size() const { return int(m_texts.size()); }

private:
    QVector<QString> m_texts;
};

// The default English text of one entry (" " for a blank slot); an index
// outside the table gives an empty text.
QString DefaultText(int index);

// All 1300 default texts in index order (built once, shared).
const QVector<QString>& DefaultTexts();

} // namespace kv
