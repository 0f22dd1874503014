#include "lang/Language.h"

#include "common/Files.h"
#include "common/NumberRule.h"
#include "common/TextRules.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace kv {

namespace {

// Windows-1252 for 0x80-0x9F; the five bytes the code page leaves undefined
// keep their own value, as the system's conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr QChar kPilcrow(0x00B6);

QString fromCp1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char c : bytes) {
        const uchar b = uchar(c);
        *d++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

QString decodeWith(QStringConverter::Encoding encoding, const QByteArray& bytes)
{
    // Invalid sequences, and an incomplete one at the end, become U+FFFD;
    // decoding never fails as a whole.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// The file's text: a byte-order mark selects UTF-8 or UTF-16, anything else
// is read as Windows-1252, the code page language files are written in.
QString decodeLanguageBytes(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, bytes.mid(2));
    return fromCp1252(bytes);
}

enum class LineKind { Entry, Version, Ignored, Blank };

// "STR<index> =<value>": the character just before the first "=" is not
// part of the index, so "STR12=" names entry 1 (files written by hand rely
// on exactly one blank there).
LineKind parseEntry(const QString& line, LanguageFile& f)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return LineKind::Ignored;
    const int indexLength = eq - 1 - 3;
    if (indexLength <= 0)
        return LineKind::Ignored;
    qint32 index = 0;
    if (!ToInt32(TrimCtl(line.mid(3, indexLength)), index) || index < 0 || index >= LangTableSize)
        return LineKind::Ignored;

    QString value = TrimCtl(line.mid(eq + 1));
    if (value.isEmpty())
        return LineKind::Ignored;
    const int comment = value.indexOf(QLatin1String("/#/"));
    if (comment >= 0) {
        value = TrimCtl(value.left(comment));
        // A value that is only a comment sets nothing.
        if (value.isEmpty())
            return LineKind::Ignored;
    }
    // Pilcrows protect leading and trailing blanks: a leading one is dropped
    // and the value ends before the next.  "¶¶" deliberately sets an empty text.
    if (value.startsWith(kPilcrow))
        value.remove(0, 1);
    const int end = value.indexOf(kPilcrow);
    if (end >= 0)
        value.truncate(end);
    f.entries.insert(index, value);
    return LineKind::Entry;
}

LineKind parseLine(const QString& rawLine, LanguageFile& f)
{
    const QString line = TrimCtl(rawLine);
    if (line.isEmpty())
        return LineKind::Blank;
    if (line.startsWith(QLatin1String("STR")))
        return parseEntry(line, f);
    if (UpperAscii(line.left(9)) == QLatin1String("//VERSION")) {
        if (f.hasVersion)
            return LineKind::Ignored; // the first version line wins
        f.hasVersion = true;
        f.version = TrimCtl(line.mid(9));
        return LineKind::Version;
    }
    return LineKind::Ignored;
}

} // namespace

LanguageFile ParseLanguageBytes(const QByteArray& bytes)
{
    LanguageFile f;
    f.readable = true;
    const QString text = decodeLanguageBytes(bytes);
    const int n = text.size();
    int start = 0;
    while (start <= n) {
        // Lines end with CR LF, LF or CR.
        int end = start;
        while (end < n && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        if (parseLine(QStringView(text).mid(start, end - start).toString(), f) == LineKind::Ignored)
            ++f.ignoredLines;
        if (end >= n)
            break;
        start = end + 1;
        if (text.at(end) == QLatin1Char('\r') && start < n && text.at(start) == QLatin1Char('\n'))
            ++start;
    }
    return f;
}

LanguageFile ReadLanguageFileContents(const QString& path)
{
    LanguageFile f;
    QByteArray bytes;
    // The size limit is far beyond any real text table; it keeps a stray
    // large file from taking the configurator's memory.
    const FileRead r = ReadWholeFile(path, bytes, MaxLanguageFileSize);
    if (r.status == FileRead::Missing)
        f.error = FileMessage(path, QStringLiteral("No such file"));
    else if (r.tooLarge)
        f.error = FileMessage(path, QStringLiteral("File too large for a language file"));
    else if (!r.ok())
        f.error = r.message;
    else
        return ParseLanguageBytes(bytes);
    return f;
}

void ReadLanguageFile(const QString& path, LangTable& table, QString& version)
{
    const LanguageFile f = ReadLanguageFileContents(path);
    if (!f.readable)
        return;
    for (auto it = f.entries.cbegin(); it != f.entries.cend(); ++it)
        table.Put(it.key(), it.value());
    if (f.hasVersion)
        version = f.version;
}

void LoadLanguage(LangTable& table, QString& languageName, const QString& languageDir, QString& version)
{
    table.LoadDefaultTexts();
    version = QStringLiteral("NO VER.");
    const QString path = languageDir + QLatin1Char('/') + languageName + QStringLiteral(".lng");
    if (QFileInfo::exists(path)) {
        ReadLanguageFile(path, table, version);
        return;
    }
    languageName = QStringLiteral("English");
    const QString english = languageDir + QStringLiteral("/English.lng");
    if (QFileInfo::exists(english))
        ReadLanguageFile(english, table, version);
}

} // namespace kv
