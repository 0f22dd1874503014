#include "lang/Language.h"

#include <QFileInfo>

// PLACEHOLDER: the reader is written by the text-table work.
namespace kv {

LanguageFile ParseLanguageBytes(const QByteArray&)
{
    LanguageFile f;
    f.readable = true;
    return f;
}

LanguageFile ReadLanguageFileContents(const QString& path)
{
    LanguageFile f;
    f.error = path;
    return f;
}

void ReadLanguageFile(const QString&, LangTable&, QString&) {}

void LoadLanguage(LangTable& table, QString& languageName, const QString& languageDir, QString& version)
{
    table.LoadDefaultTexts();
    version = QStringLiteral("NO VER.");
    if (!QFileInfo::exists(languageDir + QLatin1Char('/') + languageName + QStringLiteral(".lng")))
        languageName = QStringLiteral("English");
}

} // namespace kv
