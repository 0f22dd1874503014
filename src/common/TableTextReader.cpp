#include "common/TableTextReader.h"

#include "common/TextRules.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace kv {

namespace {

// Bytes read at a time.
constexpr qint64 kBlock = 64 * 1024;
// Characters guessSeparator looks ahead at most.
constexpr qsizetype kSeparatorScan = 64 * 1024;
// Longest line skipBlankLines looks through.
constexpr qsizetype kBlankLineScan = 4096;

// Bytes 0x80..0x9F of Windows-1252; the other bytes are their Latin-1
// characters.  Bytes the code page leaves undefined keep their own value.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte-order mark of UTF-8 as a program writes it back after reading
// it as Windows-1252: the UTF-8 of "ï»¿".
const char kMangledUtf8Mark[] = "\xC3\xAF\xC2\xBB\xC2\xBF";

// Bytes at the end of a block that start a UTF-8 sequence the block does not
// finish: they wait for the next block.
qsizetype unfinishedUtf8Tail(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, n); ++back) {
        const auto b = uchar(bytes[n - back]);
        if ((b & 0xC0) == 0x80)
            continue; // a continuation byte: look further back
        if (b < 0xC0)
            return 0;
        const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        return length > back ? back : 0;
    }
    return 0;
}

// The text of the bytes before the first invalid UTF-8 sequence.
QString validUtf8Prefix(QByteArrayView bytes)
{
    QStringDecoder probe(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const QString piece = probe.decode(bytes.sliced(i, 1));
        if (probe.hasError())
            break;
        text += piece;
    }
    return text;
}

int lineEndsIn(QStringView text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool crlf = text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
        if (text[i] == QLatin1Char('\n') || (text[i] == QLatin1Char('\r') && !crlf))
            ++n;
    }
    return n;
}

} // namespace

// Bytes to text, a block at a time.
class TableTextReader::Decoder {
public:
    enum Result { Text, End, InvalidUtf8, NotUtf8, ReadError };

    explicit Decoder(QIODevice* device)
        : m_device(device)
        , m_start(device->pos())
    {
    }

    qint64 maxBytes = -1;
    QString errorString;

    // Appends the next piece of text (possibly none) to out.  After
    // InvalidUtf8 the text before the invalid sequence has been given.
    Result decode(QString& out)
    {
        if (m_invalid)
            return InvalidUtf8;
        if (m_end)
            return End;
        QByteArray block = std::exchange(m_carry, QByteArray());
        bool final = false;
        for (;;) {
            if (!read(block, final))
                return ReadError;
            if (m_encoding != Encoding::Unknown || final || block.size() >= 6)
                break;
        }
        if (m_encoding == Encoding::Unknown)
            detectMark(block);
        m_end = final;
        switch (m_encoding) {
        case Encoding::Utf16:
            out += m_utf16.decode(block);
            return Text;
        case Encoding::Windows1252: {
            const qsizetype from = out.size();
            out += QLatin1String(block);
            for (QChar* c = out.data() + from; c != out.data() + out.size(); ++c) {
                if (c->unicode() >= 0x80 && c->unicode() <= 0x9F)
                    *c = QChar(kCp1252High[c->unicode() - 0x80]);
            }
            return Text;
        }
        default:
            break;
        }
        if (!final) {
            m_carry = block.right(unfinishedUtf8Tail(block));
            block.chop(m_carry.size());
        }
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const QString text = utf8.decode(block);
        if (!utf8.hasError()) {
            out += text;
            return Text;
        }
        if (m_encoding == Encoding::Utf8Guessed)
            return NotUtf8;
        out += validUtf8Prefix(block);
        m_invalid = true;
        return Text;
    }

    // Back to the first byte, read as Windows-1252 from now on.
    bool restartAsWindows1252()
    {
        m_encoding = Encoding::Windows1252;
        m_carry.clear();
        m_end = false;
        m_read = 0;
        if (m_device->seek(m_start))
            return true;
        errorString = m_device->errorString();
        return false;
    }

private:
    enum class Encoding { Unknown, Utf8, Utf8Guessed, Utf16, Windows1252 };

    bool read(QByteArray& block, bool& final)
    {
        const qint64 want = maxBytes < 0 ? kBlock : std::min(kBlock, maxBytes - m_read);
        if (want <= 0) {
            final = true;
            return true;
        }
        const qsizetype had = block.size();
        block.resize(had + want);
        const qint64 got = m_device->read(block.data() + had, want);
        if (got < 0) {
            errorString = m_device->errorString();
            return false;
        }
        block.resize(had + got);
        m_read += got;
        final = got == 0;
        return true;
    }

    void detectMark(QByteArray& block)
    {
        if (block.startsWith("\xFF\xFE") || block.startsWith("\xFE\xFF")) {
            // "Unicode text" of a spreadsheet is UTF-16 with its mark.
            m_encoding = Encoding::Utf16;
            m_utf16 = QStringDecoder(block.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                                     QStringDecoder::Flag::ConvertInitialBom);
            block.remove(0, 2);
        } else if (block.startsWith("\xEF\xBB\xBF") || block.startsWith(kMangledUtf8Mark)) {
            m_encoding = Encoding::Utf8; // the marks themselves go with the text
        } else {
            m_encoding = Encoding::Utf8Guessed;
        }
    }

    QIODevice* m_device;
    qint64 m_start;
    qint64 m_read = 0;
    Encoding m_encoding = Encoding::Unknown;
    QStringDecoder m_utf16;
    QByteArray m_carry;
    bool m_end = false;
    bool m_invalid = false;
};

TableTextReader::TableTextReader(QIODevice* bytes)
    : m_decoder(std::make_unique<Decoder>(bytes))
{
}

TableTextReader::TableTextReader(const QString& text)
    : m_buf(text)
{
}

TableTextReader::~TableTextReader() = default;

void TableTextReader::setMaxFieldLength(int maxLength)
{
    m_maxField = maxLength;
}

void TableTextReader::setMaxBytes(qint64 maxBytes)
{
    if (m_decoder)
        m_decoder->maxBytes = maxBytes;
}

void TableTextReader::setQuoting(bool on)
{
    m_quoting = on;
}

void TableTextReader::setSeparator(QChar separator)
{
    m_separator = separator;
}

bool TableTextReader::have(qsizetype ahead)
{
    while (m_pos + ahead >= m_buf.size()) {
        if (!m_decoder || m_status != Reading || m_inputEnded)
            return false;
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_pos = 0;
        }
        switch (m_decoder->decode(m_buf)) {
        case Decoder::Text:
            if (m_atStart && !m_buf.isEmpty()) {
                // The marks at the start, the mangled one included, are no text.
                m_atStart = false;
                for (;;) {
                    if (m_buf.startsWith(QChar(0xFEFF)))
                        m_buf.remove(0, 1);
                    else if (m_buf.startsWith(QStringView(u"\u00EF\u00BB\u00BF")))
                        m_buf.remove(0, 3);
                    else
                        break;
                }
            }
            break;
        case Decoder::End:
            m_inputEnded = true;
            return false;
        case Decoder::InvalidUtf8:
            m_status = InvalidUtf8;
            m_problemLine = m_lineNo + lineEndsIn(QStringView(m_buf).sliced(m_pos));
            return false;
        case Decoder::ReadError:
            m_status = ReadError;
            m_error = m_decoder->errorString;
            return false;
        case Decoder::NotUtf8:
            if (!m_decoder->restartAsWindows1252()) {
                m_status = ReadError;
                m_error = m_decoder->errorString;
                return false;
            }
            m_buf.clear();
            m_pos = 0;
            m_lineNo = 1;
            m_atStart = true;
            m_ended = false;
            m_status = Reread;
            return false;
        }
    }
    return true;
}

QChar TableTextReader::guessSeparator()
{
    for (;;) {
        if (m_status == Reread)
            m_status = Reading;
        int comma = 0, semicolon = 0, tab = 0;
        bool quoted = false;
        bool holdsText = false;
        for (qsizetype i = 0; i < kSeparatorScan && have(i); ++i) {
            const QChar c = m_buf.at(m_pos + i);
            if (c == QLatin1Char('"')) {
                quoted = !quoted;
            } else if (quoted) {
                holdsText = holdsText || c.unicode() > 32;
            } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                if (holdsText)
                    break;
                comma = semicolon = tab = 0;
            } else if (c == QLatin1Char(',')) {
                ++comma;
            } else if (c == QLatin1Char(';')) {
                ++semicolon;
            } else if (c == QLatin1Char('\t')) {
                ++tab;
            } else {
                holdsText = holdsText || c.unicode() > 32;
            }
        }
        if (m_status == Reread)
            continue; // not UTF-8: look again as Windows-1252
        if (semicolon > comma && semicolon >= tab)
            return QLatin1Char(';');
        if (tab > comma && tab > semicolon)
            return QLatin1Char('\t');
        return QLatin1Char(',');
    }
}

void TableTextReader::lineEnd(QChar c, QString* field)
{
    // Counted before the look at the next character, which may start the
    // reading over.
    ++m_lineNo;
    if (field)
        *field += c;
    if (c == QLatin1Char('\r') && more() && m_buf.at(m_pos) == QLatin1Char('\n')) {
        ++m_pos;
        if (field)
            *field += QLatin1Char('\n');
    }
}

void TableTextReader::readField(QString& field)
{
    const auto add = [&](QChar c) {
        field += c;
        m_cut = m_maxField >= 0 && field.size() > m_maxField;
        return !m_cut;
    };
    if (m_quoting && more() && m_buf.at(m_pos) == QLatin1Char('"')) {
        const int quoteLine = m_lineNo;
        ++m_pos;
        for (;;) {
            if (!more()) {
                if (m_status == Reading) {
                    m_status = UnclosedQuote;
                    m_problemLine = quoteLine;
                }
                return;
            }
            const QChar c = m_buf.at(m_pos++);
            if (c == QLatin1Char('"')) {
                if (!more() || m_buf.at(m_pos) != QLatin1Char('"'))
                    break;
                ++m_pos;
            }
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                lineEnd(c, &field);
                m_cut = m_maxField >= 0 && field.size() > m_maxField;
                if (m_cut)
                    return;
            } else if (!add(c)) {
                return;
            }
        }
    }
    while (more()) {
        const QChar c = m_buf.at(m_pos);
        if (c == m_separator || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return;
        ++m_pos;
        if (!add(c))
            return;
    }
}

int TableTextReader::skipBlankLines()
{
    int count = 0;
    qsizetype i = 0; // characters of the present line looked at
    while (!m_ended && i <= kBlankLineScan) {
        if (m_pos + i >= m_buf.size() && !have(i)) {
            if (i > 0 && m_status == Reading) {
                // A last line without its line end.
                m_recordLine = m_lineNo;
                m_pos += i;
                ++count;
            }
            return count;
        }
        const QChar c = m_buf.at(m_pos + i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            m_recordLine = m_lineNo;
            m_pos += i + 1;
            i = 0;
            if (c == QLatin1Char('\n'))
                ++m_lineNo;
            else
                lineEnd(c, nullptr);
            if (m_status == Reread)
                return count;
            ++count;
        } else if (c.unicode() > 32 && c != m_separator) {
            return count;
        } else {
            ++i;
        }
    }
    return count;
}

bool TableTextReader::next(QStringList& fields, int maxFields)
{
    fields.clear();
    m_extraUsed = false;
    m_cut = false;
    if (m_ended || !more())
        return false;
    m_recordLine = m_lineNo;
    for (;;) {
        QString field;
        readField(field);
        if (m_status != Reading)
            return false;
        if (fields.size() < maxFields)
            fields.append(std::move(field));
        else if (m_cut || !TrimCtl(field).isEmpty())
            m_extraUsed = true;
        if (m_cut) {
            m_ended = true;
            return true;
        }
        if (!more())
            return m_status == Reading;
        const QChar c = m_buf.at(m_pos++);
        if (c != m_separator) {
            lineEnd(c, nullptr);
            return m_status == Reading || m_status == InvalidUtf8;
        }
    }
}

} // namespace kv
