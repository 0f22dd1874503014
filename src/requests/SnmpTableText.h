#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "requests/DeviceLimits.h"
#include "requests/SnmpRequests.h"

namespace kv {

class LangTable;

// The request table as text: CSV files exchanged with spreadsheets and the
// tab-separated cells of the clipboard.  A paste or an import is checked
// whole before anything changes; the first problem found stops it.

// Longest texts a cell of these columns takes from a paste or an import:
// the OID the data check admits, the community the device keeps.
constexpr int SnmpOidMaxLength = 64;
constexpr int SnmpCommunityMaxLength = CommunityMaxChars;

// Longest text a cell takes from a paste or an import, whatever its column:
// far more than a description needs, and what keeps 512 rows of cells
// small whatever the input holds.
constexpr int SnmpCellMaxLength = 1024;

// Largest CSV file an import reads.
constexpr qint64 SnmpCsvMaxFileSize = 64 * 1024 * 1024;

struct TableTextProblem {
    enum Kind {
        None,
        // A cell: row and column name where it is.
        PastLastRow,      // the cells go past row 512
        PastLastColumn,   // the cells go past the last column
        NotAChoice,       // a pick-list or check-box column gets a text it does not offer (text)
        ControlCharacter, // a line break or another control character
        TooLong,          // more characters than the column takes (limit)
        // The file: line is where.
        NoHeader,        // nothing but blanks before the header line
        UnknownColumn,   // text: the header name
        DuplicateColumn, // text: the header name
        TooManyRows,     // more than 512 data rows
        UnclosedQuote,   // a quoted field runs to the end of the file
        TooManyFields,   // a line holds more fields than the header names
        InvalidUtf8,     // a file marked as UTF-8 holds a sequence that is not
        FileError,       // the file cannot be read: text is the message, with the file's name
    };
    Kind kind = None;
    int line = 0;   // line of the file (import only; 1 is the first)
    int row = 0;    // table row 1..512 (513 for PastLastRow)
    int column = 0; // grid column 1..16
    QString text;
    int limit = 0;
    bool ok() const { return kind == None; }
};

// The texts a pick-list column offers (Version, Type, Mode, Position,
// ConvertFrom; Community offers its list but takes any text); empty for
// the other columns.
QStringList SnmpColumnChoices(int column, int positionChoices);

// Checks a text for a cell of a column (1..16) and gives in *stored the text
// the cell takes: a check box takes Y or N in any case (stored in capitals)
// or nothing, a pick list one of its choices in any case (stored as the list
// spells it) or nothing, every other column its text unchanged.
TableTextProblem::Kind CheckCellText(int column, const QString& text, int positionChoices, QString* stored,
                                     int* limit = nullptr);

// The table as CSV: a header line of the 16 attribute names in file order,
// then every row up to the last one holding data (a cell other than a check
// box that is not blank), a row without data as an empty line; UTF-8 with
// byte-order mark, CRLF, fields quoted as RFC 4180.
QByteArray SnmpRequestsCsv(const QVector<SnmpRequest>& rows);

// One CSV field as SnmpRequestsCsv writes it: UTF-8, quoted as RFC 4180
// when it holds a separator (comma, semicolon, tab), a quote or a line
// break, or starts or ends with a blank.
QByteArray CsvField(const QString& text);

// Reads a CSV file (comma, semicolon or tab separated, told from its header
// line; encoded as TableTextReader reads bytes) into rows (SnmpMaxRows long:
// the imported rows, then reset rows).  Columns are matched by attribute name
// ignoring case and surrounding blanks; a missing column takes what a missing
// attribute takes in SNMP_Manager.xml; a blank line is a reset row.  Read as a
// stream: the header is checked before any row, the reading stops at the
// first problem or at a 513th row, blank lines at the end are only counted.
// False with the first problem when it cannot be imported; rows untouched.
// *count (when given) receives the number of data rows.
bool ReadSnmpCsv(const QByteArray& bytes, int positionChoices, QVector<SnmpRequest>& rows,
                 TableTextProblem& problem, int* count = nullptr);
// The same from a file of at most SnmpCsvMaxFileSize bytes; a file that
// cannot be read gives a FileError.
bool ReadSnmpCsvFile(const QString& path, int positionChoices, QVector<SnmpRequest>& rows,
                     TableTextProblem& problem, int* count = nullptr);

// Cells as the clipboard carries them: tab between cells, a line break
// after each row; a cell holding a tab, a line break or a leading quote is
// quoted as a spreadsheet does.
QString CellsAsTabText(const QVector<QStringList>& cells);

// Tab-separated text from the clipboard, as a spreadsheet writes it (quoted
// cells, CR LF or LF, with or without a line break at the end).  Reads no
// further than a paste can reach: 513 lines of 17 cells, a cell longer than
// SnmpCellMaxLength ending it (cut to one character more).
QVector<QStringList> ParseTabText(const QString& text);

// Puts cells into rows from (row, column) rightwards over the given visible
// columns (grid columns in order) and downwards.  All or nothing: false with
// the first problem and rows untouched.
bool PasteCells(QVector<SnmpRequest>& rows, int row, int column, const QVector<QStringList>& cells,
                const QVector<int>& visibleColumns, int positionChoices, TableTextProblem& problem);

// The message of a problem; columnName names problem.column.
QString TableTextMessage(const TableTextProblem& problem, const LangTable& lang, const QString& columnName);

} // namespace kv
