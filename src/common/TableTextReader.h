#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;

namespace kv {

// Records of comma-, semicolon- or tab-separated text, read as a stream from
// the bytes of a file or from text already decoded (the clipboard).  It knows
// encodings, quotes, separators and line ends, nothing of what the fields
// mean; whoever reads it decides when to stop, so a large input costs only
// what is read of it.
//
// Bytes are decoded as their byte-order mark says: UTF-16 (either byte
// order) or UTF-8, where a UTF-8 mark that another program mangled (read as
// Windows-1252 and written back as UTF-8, so the bytes of "ï»¿") counts as a
// mark too.  Marked UTF-8 with an invalid sequence stops with InvalidUtf8 on
// its line.  Without a mark the bytes are UTF-8 when they all are valid UTF-8
// and Windows-1252 otherwise: at the first invalid sequence the reader goes
// back to the first byte as Windows-1252 and says Reread, and its reader
// starts over.
//
// A field that starts with a quote runs to its closing quote, doubled quotes
// standing for one, and text after the closing quote belongs to the field as
// spreadsheets read it.  CR LF, LF and a lone CR end a record; no record
// follows a line end at the very end of the text.
class TableTextReader {
public:
    enum Status {
        Reading,       // records follow, or the text ended
        UnclosedQuote, // a quoted field runs to the end of the text (problemLine: where it opens)
        InvalidUtf8,   // marked UTF-8 holds a sequence that is not (problemLine: its line)
        ReadError,     // the device failed (errorString)
        Reread,        // the bytes are not UTF-8: the reader is back at the start, as Windows-1252
    };

    // The bytes of a file or of memory, from the device's present position.
    explicit TableTextReader(QIODevice* bytes);
    // Text already decoded.
    explicit TableTextReader(const QString& text);
    ~TableTextReader();
    TableTextReader(const TableTextReader&) = delete;
    TableTextReader& operator=(const TableTextReader&) = delete;

    // A field longer than this ends the reading: the record is given with
    // that field cut to its first maxLength + 1 characters (cut()), and no
    // record follows.  No limit by default.
    void setMaxFieldLength(int maxLength);
    // Bytes after this many are not read (a file that grows while read).
    void setMaxBytes(qint64 maxBytes);
    // Off: a quote is a character like any other.  On by default.
    void setQuoting(bool on);
    void setSeparator(QChar separator);

    // The separator of the first line that holds more than blanks,
    // separators and quotes: the most frequent of comma, semicolon and tab
    // outside quotes (comma when there is none).  Looks a bounded way ahead
    // and reads nothing away.  The first call of a new reading after Reread.
    QChar guessSeparator();

    // The next record's fields, at most maxFields of them: the fields after
    // those are read and not kept.  False at the end of the text and when
    // reading stops (status()).
    bool next(QStringList& fields, int maxFields);
    // Reads away the lines ahead that hold nothing but separators and
    // characters of code 32 and below (records of blank fields, one line
    // each); their number.  Stops before a line of more than a few thousand
    // characters, which next() reads.
    int skipBlankLines();

    // Line of the file where the last record read or skipped starts (1 is
    // the first; 0 before any).
    int line() const { return m_recordLine; }
    // Line where the next record starts.
    int nextLine() const { return m_lineNo; }
    // The last record had, after its first maxFields, a field holding more
    // than characters of code 32 and below.
    bool extraFieldsUsed() const { return m_extraUsed; }
    // The last record's last field was cut (setMaxFieldLength).
    bool cut() const { return m_cut; }

    Status status() const { return m_status; }
    int problemLine() const { return m_problemLine; }
    QString errorString() const { return m_error; }

private:
    class Decoder;

    bool have(qsizetype ahead);
    bool more() { return m_pos < m_buf.size() || have(0); }
    void readField(QString& field);
    void lineEnd(QChar c, QString* field);

    std::unique_ptr<Decoder> m_decoder; // none for text
    QString m_buf;                       // text from m_pos on is not read yet
    qsizetype m_pos = 0;
    int m_lineNo = 1;
    int m_recordLine = 0;
    int m_maxField = -1;
    bool m_quoting = true;
    QChar m_separator = QLatin1Char(',');
    bool m_extraUsed = false;
    bool m_cut = false;
    bool m_ended = false;      // a cut field ended the reading
    bool m_inputEnded = false; // the decoder gave its last text
    bool m_atStart = true;     // no text decoded yet
    Status m_status = Reading;
    int m_problemLine = 0;
    QString m_error;
};

} // namespace kv
