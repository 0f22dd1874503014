#include "documents/SnmpTableText.h"

#include "lang/LangTable.h"

#include <QStringDecoder>

#include <algorithm>

namespace kv {

namespace {

enum : int {
    TxtPastLastRow = 1106,
    TxtPastLastColumn = 1107,
    TxtNotAChoice = 1108,
    TxtControlCharacter = 1109,
    TxtTooLong = 1110,
    TxtFileLine = 1111,
    TxtNoHeader = 1112,
    TxtUnknownColumn = 1113,
    TxtDuplicateColumn = 1114,
    TxtTooManyRows = 1115,
    TxtUnclosedQuote = 1116,
    TxtTooManyFields = 1117,
};

// Bytes 0x80..0x9F of Windows-1252; the other bytes are their Latin-1
// characters.  Bytes the code page leaves undefined keep their own value.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar(0x2028) || c == QChar(0x2029);
}

// Fields of CSV or tab-separated text, record by record, with the line each
// record starts on.  A field that starts with a quote runs to its closing
// quote, doubled quotes standing for one; CR LF, LF and a lone CR end a
// record.  No record follows a line end at the very end of the text.
struct Records {
    QVector<QStringList> fields;
    QVector<int> lines;
    int unclosedLine = 0; // line of a quoted field that never closes
};

Records splitRecords(const QString& text, QChar separator)
{
    Records out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        QStringList record;
        const int startLine = line;
        bool endOfRecord = false;
        while (!endOfRecord) {
            QString field;
            if (i < n && text.at(i) == QLatin1Char('"')) {
                const int quoteLine = line;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = text.at(i);
                    if (c == QLatin1Char('"')) {
                        if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                            field += c;
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && (i + 1 >= n || text.at(i + 1) != QLatin1Char('\n'))))
                        ++line;
                    field += c;
                    ++i;
                }
                if (!closed) {
                    out.unclosedLine = quoteLine;
                    return out;
                }
                // Text after the closing quote belongs to the field, as
                // spreadsheets read it.
            }
            while (i < n) {
                const QChar c = text.at(i);
                if (c == separator || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                    break;
                field += c;
                ++i;
            }
            record.append(field);
            if (i >= n) {
                endOfRecord = true;
            } else if (text.at(i) == separator) {
                ++i;
            } else {
                if (text.at(i) == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                ++i;
                ++line;
                endOfRecord = true;
            }
        }
        out.fields.append(record);
        out.lines.append(startLine);
    }
    return out;
}

bool isBlankRecord(const QStringList& record)
{
    return std::all_of(record.cbegin(), record.cend(), [](const QString& f) { return f.trimmed().isEmpty(); });
}

// The separator of a header line: the most frequent of comma, semicolon
// and tab outside quotes (comma when there is none).
QChar detectSeparator(const QString& text)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++comma;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolon;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tab;
    }
    if (semicolon > comma && semicolon >= tab)
        return QLatin1Char(';');
    if (tab > comma && tab > semicolon)
        return QLatin1Char('\t');
    return QLatin1Char(',');
}

// A field between quotes, its own quotes doubled.
QString quoted(const QString& text)
{
    QString q = text;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QByteArray csvField(const QString& text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char(';'))
        || text.contains(QLatin1Char('\t')) || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    return (quote ? quoted(text) : text).toUtf8();
}

int columnOfAttribute(const QString& name)
{
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (name.compare(QLatin1String(SnmpRequest::AttributeName(c)), Qt::CaseInsensitive) == 0)
            return c;
    }
    return 0;
}

} // namespace

QStringList SnmpColumnChoices(int column, int positionChoices)
{
    switch (column) {
    case ColVersion:
        return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    case ColCommunity:
        return {QStringLiteral("Marble"), QStringLiteral("Harbour")};
    case ColType:
        return {QStringLiteral("String"), QStringLiteral("Int")};
    case ColMode:
        return {QStringLiteral("Get"), QStringLiteral("Set"), QStringLiteral("Trap")};
    case ColConvertFrom:
        return {QStringLiteral("None"), QStringLiteral("Float"), QStringLiteral("Float * 10"),
                QStringLiteral("Float * 100")};
    case ColPosition: {
        QStringList l;
        l.reserve(positionChoices);
        for (int i = 0; i < positionChoices; ++i)
            l << QString::number(i);
        return l;
    }
    default:
        return {};
    }
}

TableTextProblem::Kind CheckCellText(int column, const QString& text, int positionChoices, QString* stored, int* limit)
{
    if (std::any_of(text.cbegin(), text.cend(), isControl))
        return TableTextProblem::ControlCharacter;
    if (SnmpRequest::IsCheckBoxColumn(column)) {
        const QString t = text.trimmed();
        if (t.isEmpty() || t.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0) {
            *stored = t.toUpper();
            return TableTextProblem::None;
        }
        return TableTextProblem::NotAChoice;
    }
    switch (column) {
    case ColVersion:
    case ColType:
    case ColMode:
    case ColConvertFrom:
    case ColPosition: {
        const QString t = text.trimmed();
        if (t.isEmpty()) {
            stored->clear();
            return TableTextProblem::None;
        }
        if (column == ColPosition) {
            // "0" .. count - 1, written as the list writes them.
            bool ok = false;
            const int v = t.toInt(&ok);
            if (!ok || v < 0 || v >= positionChoices || QString::number(v) != t)
                return TableTextProblem::NotAChoice;
            *stored = t;
            return TableTextProblem::None;
        }
        for (const QString& choice : SnmpColumnChoices(column, positionChoices)) {
            if (choice.compare(t, Qt::CaseInsensitive) == 0) {
                *stored = choice;
                return TableTextProblem::None;
            }
        }
        return TableTextProblem::NotAChoice;
    }
    case ColOid:
    case ColCommunity: {
        const int max = column == ColOid ? SnmpOidMaxLength : SnmpCommunityMaxLength;
        if (text.size() > max) {
            if (limit)
                *limit = max;
            return TableTextProblem::TooLong;
        }
        *stored = text;
        return TableTextProblem::None;
    }
    default:
        *stored = text;
        return TableTextProblem::None;
    }
}

QString DecodeTableText(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    // "Unicode text" of a spreadsheet is UTF-16 with its byte-order mark.
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(view.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16.decode(view.sliced(2));
    }
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(view.size());
    for (const char ch : view) {
        const auto b = uchar(ch);
        text += b >= 0x80 && b <= 0x9F ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return text;
}

QByteArray SnmpRequestsCsv(const QVector<SnmpRequest>& rows)
{
    QByteArray out("\xEF\xBB\xBF");
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (c > 1)
            out += ',';
        out += SnmpRequest::AttributeName(c);
    }
    out += "\r\n";
    const int n = SnmpContentRowCount(rows);
    for (int r = 0; r < n; ++r) {
        for (int c = 1; c <= SnmpFieldCount; ++c) {
            if (c > 1)
                out += ',';
            out += csvField(rows[r].field(c));
        }
        out += "\r\n";
    }
    return out;
}

bool ReadSnmpCsv(const QByteArray& bytes, int positionChoices, QVector<SnmpRequest>& rows, TableTextProblem& problem,
                 int* count)
{
    problem = TableTextProblem();
    const QString text = DecodeTableText(bytes);
    const Records records = splitRecords(text, detectSeparator(text));
    if (records.unclosedLine) {
        problem.kind = TableTextProblem::UnclosedQuote;
        problem.line = records.unclosedLine;
        return false;
    }
    // The header is the first line that is not blank.
    int first = 0;
    while (first < records.fields.size() && isBlankRecord(records.fields[first]))
        ++first;
    if (first >= records.fields.size()) {
        problem.kind = TableTextProblem::NoHeader;
        problem.line = records.lines.isEmpty() ? 1 : records.lines.constLast();
        return false;
    }
    QStringList header = records.fields[first];
    const int headerLine = records.lines[first];
    // Empty names at the end (a separator closing the line) name nothing.
    while (!header.isEmpty() && header.constLast().trimmed().isEmpty())
        header.removeLast();
    QVector<int> columns; // grid column of each header field
    for (const QString& name : header) {
        const int c = columnOfAttribute(name.trimmed());
        problem.line = headerLine;
        problem.text = name.trimmed();
        if (c == 0) {
            problem.kind = TableTextProblem::UnknownColumn;
            return false;
        }
        if (columns.contains(c)) {
            problem.kind = TableTextProblem::DuplicateColumn;
            return false;
        }
        columns.append(c);
    }
    problem = TableTextProblem();

    int last = int(records.fields.size());
    while (last > first + 1 && isBlankRecord(records.fields[last - 1]))
        --last;
    const int dataRows = last - first - 1;
    if (dataRows > SnmpMaxRows) {
        problem.kind = TableTextProblem::TooManyRows;
        problem.line = records.lines[first + 1 + SnmpMaxRows];
        return false;
    }

    QVector<SnmpRequest> result(SnmpMaxRows, SnmpRequest::ResetRow());
    for (int r = 0; r < dataRows; ++r) {
        const QStringList& record = records.fields[first + 1 + r];
        const int line = records.lines[first + 1 + r];
        for (qsizetype j = columns.size(); j < record.size(); ++j) {
            if (!record[j].trimmed().isEmpty()) {
                problem.kind = TableTextProblem::TooManyFields;
                problem.line = line;
                return false;
            }
        }
        SnmpRequest& row = result[r];
        for (int c = 1; c <= SnmpFieldCount; ++c)
            row.field(c) = SnmpMissingAttributeText(c);
        for (qsizetype j = 0; j < columns.size(); ++j) {
            const int c = columns[j];
            const QString value = j < record.size() ? record[j] : QString();
            int limit = 0;
            const TableTextProblem::Kind kind = CheckCellText(c, value, positionChoices, &row.field(c), &limit);
            if (kind != TableTextProblem::None) {
                problem.kind = kind;
                problem.line = line;
                problem.row = r + 1;
                problem.column = c;
                problem.text = value;
                problem.limit = limit;
                return false;
            }
        }
    }
    rows = std::move(result);
    if (count)
        *count = dataRows;
    return true;
}

QString CellsAsTabText(const QVector<QStringList>& cells)
{
    QStringList lines;
    lines.reserve(cells.size());
    for (const QStringList& row : cells) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString& f : row) {
            if (f.contains(QLatin1Char('\t')) || f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r'))
                || f.startsWith(QLatin1Char('"'))) {
                fields << quoted(f);
            } else {
                fields << f;
            }
        }
        lines << fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    // Every line ends, as a spreadsheet's do: one empty cell is "\n", not nothing.
    return lines.join(QString());
}

QVector<QStringList> ParseTabText(const QString& text)
{
    Records records = splitRecords(text, QLatin1Char('\t'));
    if (records.unclosedLine) {
        // Not a spreadsheet's quoting: every character is the cell's own.
        QVector<QStringList> plain;
        QString t = text;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
        for (const QString& line : t.split(QLatin1Char('\n')))
            plain.append(line.split(QLatin1Char('\t')));
        return plain;
    }
    return records.fields;
}

bool PasteCells(QVector<SnmpRequest>& rows, int row, int column, const QVector<QStringList>& cells,
                const QVector<int>& visibleColumns, int positionChoices, TableTextProblem& problem)
{
    problem = TableTextProblem();
    const qsizetype start = visibleColumns.indexOf(column);
    if (start < 0 || row < 1)
        return false;
    QVector<SnmpRequest> result = rows;
    for (int r = 0; r < cells.size(); ++r) {
        const int target = row + r;
        for (qsizetype j = 0; j < cells[r].size(); ++j) {
            if (start + j >= visibleColumns.size()) {
                problem.kind = TableTextProblem::PastLastColumn;
                problem.row = target;
                problem.column = visibleColumns.constLast();
                return false;
            }
            const int c = visibleColumns[start + j];
            if (target > SnmpMaxRows || target > result.size()) {
                problem.kind = TableTextProblem::PastLastRow;
                problem.row = target;
                problem.column = c;
                return false;
            }
            int limit = 0;
            QString stored;
            const TableTextProblem::Kind kind = CheckCellText(c, cells[r][j], positionChoices, &stored, &limit);
            if (kind != TableTextProblem::None) {
                problem.kind = kind;
                problem.row = target;
                problem.column = c;
                problem.text = cells[r][j];
                problem.limit = limit;
                return false;
            }
            result[target - 1].field(c) = stored;
        }
    }
    rows = std::move(result);
    return true;
}

QString TableTextMessage(const TableTextProblem& p, const LangTable& lang, const QString& columnName)
{
    const auto cell = [&](int index) {
        // One pass, so that a % in a cell or a name stays as it is.
        const QString row = QString::number(p.row);
        QString m = index == TxtNotAChoice ? lang.Get(index).arg(row, columnName, p.text)
            : index == TxtTooLong          ? lang.Get(index).arg(row, columnName, QString::number(p.limit))
                                           : lang.Get(index).arg(row, columnName);
        if (p.line > 0)
            m = lang.Get(TxtFileLine).arg(p.line) + QLatin1Char(' ') + m;
        return m;
    };
    const auto file = [&](int index) {
        const QString line = QString::number(p.line);
        return index == TxtUnknownColumn || index == TxtDuplicateColumn ? lang.Get(index).arg(line, p.text)
                                                                        : lang.Get(index).arg(line);
    };
    switch (p.kind) {
    case TableTextProblem::None:
        return QString();
    case TableTextProblem::PastLastRow:
        return cell(TxtPastLastRow);
    case TableTextProblem::PastLastColumn:
        return cell(TxtPastLastColumn);
    case TableTextProblem::NotAChoice:
        return cell(TxtNotAChoice);
    case TableTextProblem::ControlCharacter:
        return cell(TxtControlCharacter);
    case TableTextProblem::TooLong:
        return cell(TxtTooLong);
    case TableTextProblem::NoHeader:
        return file(TxtNoHeader);
    case TableTextProblem::UnknownColumn:
        return file(TxtUnknownColumn);
    case TableTextProblem::DuplicateColumn:
        return file(TxtDuplicateColumn);
    case TableTextProblem::TooManyRows:
        return file(TxtTooManyRows);
    case TableTextProblem::UnclosedQuote:
        return file(TxtUnclosedQuote);
    case TableTextProblem::TooManyFields:
        return file(TxtTooManyFields);
    }
    return QString();
}

} // namespace kv
