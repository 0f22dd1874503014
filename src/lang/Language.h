#pragma once
#include <QMap>
#include <QString>

#include "lang/LangTable.h"

namespace kv {

// What one language file sets, read with the configurator's own rules.
struct LanguageFile {
    bool readable = false;      // the file could be opened and read
    bool hasVersion = false;    // a //VERSION line was found
    QString version;            // the first version line's text
    QMap<int, QString> entries; // index -> text; the last line naming an index wins
    // Non-blank lines that change nothing: free comment lines, entry lines
    // whose index is not a number in 0..1299 or whose value is empty (also
    // when only a "/#/" comment follows "="), and version lines after the first.
    int ignoredLines = 0;
    QString error;              // why the file could not be read
};

// Files larger than this are not read (real ones hold a few hundred kB).
constexpr qint64 MaxLanguageFileSize = 16 * 1024 * 1024;

// Decodes and parses the bytes of a language file: UTF-8 or UTF-16 after a
// byte-order mark, Windows-1252 otherwise.  Never fails: malformed bytes and
// lines are skipped.
LanguageFile ParseLanguageBytes(const QByteArray& bytes);

// Reads a file from disk (not readable when missing or unreadable).
LanguageFile ReadLanguageFileContents(const QString& path);

// Applies one language file to the table and sets version when the file has
// a version line.  Does not clear the table.
void ReadLanguageFile(const QString& path, LangTable& table, QString& version);

// Rebuilds the table for languageName: defaults, then LanguageDir/<name>.lng,
// or English.lng (and languageName becomes "English") when that is missing.
// version becomes "NO VER." unless the file read has a version line.
void LoadLanguage(LangTable& table, QString& languageName, const QString& languageDir, QString& version);

} // namespace kv
