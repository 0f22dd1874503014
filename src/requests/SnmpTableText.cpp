#include "requests/SnmpTableText.h"

#include "common/Files.h"
#include "common/TableTextReader.h"
#include "common/TextRules.h"
#include "lang/LangTable.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cerrno>

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
    TxtInvalidUtf8 = 1190,
};

// Header names longer than this (a file that is no table) are cut in messages.
constexpr int kShownNameLength = 64;

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar(0x2028) || c == QChar(0x2029);
}

// Blank as a table cell counts it: nothing but characters of code 32 and below.
bool isBlankRecord(const QStringList& record)
{
    return std::all_of(record.cbegin(), record.cend(), [](const QString& f) {
        return std::all_of(f.cbegin(), f.cend(), [](QChar c) { return c.unicode() <= 32; });
    });
}

// A row holds data when a cell other than a check box is not blank (check
// boxes always hold something).
bool holdsData(const SnmpRequest& row)
{
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (!SnmpRequest::IsCheckBoxColumn(c) && !TrimCtl(row.field(c)).isEmpty())
            return true;
    }
    return false;
}

// A field between quotes, its own quotes doubled.
QString quoted(const QString& text)
{
    QString q = text;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

QByteArray CsvField(const QString& text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char(';'))
        || text.contains(QLatin1Char('\t')) || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    return (quote ? quoted(text) : text).toUtf8();
}

namespace {

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
    if (text.size() > SnmpCellMaxLength) {
        if (limit)
            *limit = SnmpCellMaxLength;
        return TableTextProblem::TooLong;
    }
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

QByteArray SnmpRequestsCsv(const QVector<SnmpRequest>& rows)
{
    QByteArray out("\xEF\xBB\xBF");
    for (int c = 1; c <= SnmpFieldCount; ++c) {
        if (c > 1)
            out += ',';
        out += SnmpRequest::AttributeName(c);
    }
    out += "\r\n";
    int last = std::min(int(rows.size()), SnmpMaxRows);
    while (last > 0 && !holdsData(rows[last - 1]))
        --last;
    for (int r = 0; r < last; ++r) {
        for (int c = 1; holdsData(rows[r]) && c <= SnmpFieldCount; ++c) {
            if (c > 1)
                out += ',';
            out += CsvField(rows[r].field(c));
        }
        out += "\r\n";
    }
    return out;
}

namespace {

// The problem that ended a reader's reading, when one did.
bool readerFailed(const TableTextReader& reader, TableTextProblem& problem)
{
    switch (reader.status()) {
    case TableTextReader::Reading:
    case TableTextReader::Reread:
        return false;
    case TableTextReader::UnclosedQuote:
        problem.kind = TableTextProblem::UnclosedQuote;
        break;
    case TableTextReader::InvalidUtf8:
        problem.kind = TableTextProblem::InvalidUtf8;
        break;
    case TableTextReader::ReadError:
        problem.kind = TableTextProblem::FileError;
        problem.text = reader.errorString();
        break;
    }
    problem.line = reader.problemLine();
    return true;
}

// One reading of a CSV file into result (reset rows); *dataRows the rows up
// to the last one that is not blank.
bool readCsv(TableTextReader& reader, int positionChoices, QVector<SnmpRequest>& result, TableTextProblem& problem,
             int* dataRows)
{
    problem = TableTextProblem();
    reader.setSeparator(reader.guessSeparator());

    // The header is the first line that is not blank.  One name more than
    // there are columns is enough to refuse it.
    QStringList header;
    for (;;) {
        reader.skipBlankLines();
        if (!reader.next(header, SnmpFieldCount + 1)) {
            if (readerFailed(reader, problem) || reader.status() == TableTextReader::Reread)
                return false;
            problem.kind = TableTextProblem::NoHeader;
            problem.line = std::max(1, reader.line());
            return false;
        }
        if (reader.cut() || reader.extraFieldsUsed() || !isBlankRecord(header))
            break;
    }
    // Empty names at the end (a separator closing the line) name nothing.
    while (!reader.cut() && !reader.extraFieldsUsed() && !header.isEmpty() && header.constLast().trimmed().isEmpty())
        header.removeLast();
    QVector<int> columns; // grid column of each header field
    for (const QString& name : std::as_const(header)) {
        const QString trimmed = name.trimmed();
        const int c = columnOfAttribute(trimmed);
        problem.line = reader.line();
        problem.text = trimmed.size() > kShownNameLength ? trimmed.left(kShownNameLength) + QChar(0x2026) : trimmed;
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

    // Blank lines become reset rows once a row with data follows them;
    // those at the end are only counted.
    int rows = 0;
    int blanks = 0;
    int line513 = 0; // where the 513th row starts
    QStringList record;
    for (;;) {
        const int firstBlank = reader.nextLine();
        const int skipped = reader.skipBlankLines(); // one line each
        if (rows + blanks <= SnmpMaxRows && rows + blanks + skipped > SnmpMaxRows)
            line513 = firstBlank + SnmpMaxRows - rows - blanks;
        blanks += skipped;
        if (!reader.next(record, int(columns.size())))
            break;
        const int index = rows + blanks;
        if (index == SnmpMaxRows)
            line513 = reader.line();
        if (!reader.cut() && !reader.extraFieldsUsed() && isBlankRecord(record)) {
            ++blanks;
            continue;
        }
        if (index >= SnmpMaxRows) {
            problem.kind = TableTextProblem::TooManyRows;
            problem.line = line513;
            return false;
        }
        rows = index;
        blanks = 0;
        if (reader.extraFieldsUsed()) {
            problem.kind = TableTextProblem::TooManyFields;
            problem.line = reader.line();
            return false;
        }
        SnmpRequest& row = result[rows];
        for (int c = 1; c <= SnmpFieldCount; ++c)
            row.field(c) = SnmpMissingAttributeText(c);
        for (qsizetype j = 0; j < columns.size(); ++j) {
            const int c = columns[j];
            const QString value = record.value(j);
            int limit = 0;
            const TableTextProblem::Kind kind = CheckCellText(c, value, positionChoices, &row.field(c), &limit);
            if (kind != TableTextProblem::None) {
                problem.kind = kind;
                problem.line = reader.line();
                problem.row = rows + 1;
                problem.column = c;
                problem.text = value;
                problem.limit = limit;
                return false;
            }
        }
        ++rows;
    }
    if (readerFailed(reader, problem))
        return false;
    *dataRows = rows;
    return reader.status() == TableTextReader::Reading;
}

bool readCsvDevice(QIODevice* device, int positionChoices, QVector<SnmpRequest>& rows, TableTextProblem& problem,
                   int* count)
{
    TableTextReader reader(device);
    reader.setMaxFieldLength(SnmpCellMaxLength);
    reader.setMaxBytes(SnmpCsvMaxFileSize);
    QVector<SnmpRequest> result;
    int dataRows = 0;
    do {
        // Bytes that turn out not to be UTF-8 are read again from the start.
        result.fill(SnmpRequest::ResetRow(), SnmpMaxRows);
        if (readCsv(reader, positionChoices, result, problem, &dataRows)) {
            rows = std::move(result);
            if (count)
                *count = dataRows;
            return true;
        }
    } while (reader.status() == TableTextReader::Reread);
    return false;
}

} // namespace

bool ReadSnmpCsv(const QByteArray& bytes, int positionChoices, QVector<SnmpRequest>& rows, TableTextProblem& problem,
                 int* count)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readCsvDevice(&buffer, positionChoices, rows, problem, count);
}

bool ReadSnmpCsvFile(const QString& path, int positionChoices, QVector<SnmpRequest>& rows, TableTextProblem& problem,
                     int* count)
{
    problem = TableTextProblem();
    QFile file;
    const FileRead open = OpenFileForReading(path, file, SnmpCsvMaxFileSize);
    if (!open.ok()) {
        problem.kind = TableTextProblem::FileError;
        problem.text = open.status == FileRead::Missing ? FileMessage(path, SystemReason(ENOENT)) : open.message;
        return false;
    }
    if (readCsvDevice(&file, positionChoices, rows, problem, count))
        return true;
    if (problem.kind == TableTextProblem::FileError)
        problem.text = FileMessage(path, problem.text);
    return false;
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
    // A paste reaches row 512 and the last column at most: one line and one
    // cell more tell that it goes past them.
    const auto read = [&text](bool quoting, QVector<QStringList>& cells) {
        TableTextReader reader(text);
        reader.setSeparator(QLatin1Char('\t'));
        reader.setQuoting(quoting);
        reader.setMaxFieldLength(SnmpCellMaxLength);
        QStringList fields;
        while (cells.size() <= SnmpMaxRows && reader.next(fields, SnmpFieldCount + 1))
            cells.append(fields);
        return reader.status() != TableTextReader::UnclosedQuote;
    };
    QVector<QStringList> cells;
    if (read(true, cells))
        return cells;
    // Not a spreadsheet's quoting: every character is the cell's own.
    cells.clear();
    read(false, cells);
    return cells;
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
    case TableTextProblem::InvalidUtf8:
        return file(TxtInvalidUtf8);
    case TableTextProblem::FileError:
        return p.text;
    }
    return QString();
}

} // namespace kv
