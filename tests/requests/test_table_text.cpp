#include <QtTest>

#include "Cli.h"
#include "TestFiles.h"
#include "requests/SnmpTableText.h"
#include "lang/LangTable.h"

using kv::SnmpRequest;
using kv::TableTextProblem;

Q_DECLARE_METATYPE(TableTextProblem::Kind)

namespace {

const QByteArray kHeader = "Enable,IP_Address,Version,Community_String,OID,Type,Mode,On_Change,On_Command,On_Timer,"
                           "Time,Position,Number_Bytes,ConvertFrom,Cancel,Mnemonic";

QByteArray semicolons(QByteArray text)
{
    return text.replace(',', ';');
}

// "row:Attribute=value" entries compared after an import.
using Expect = QStringList;

QStringList E(std::initializer_list<const char*> texts)
{
    QStringList l;
    for (const char* t : texts)
        l << QString::fromUtf8(t);
    return l;
}

using Cells = QVector<QStringList>;

Cells C(std::initializer_list<std::initializer_list<const char*>> rows)
{
    Cells cells;
    for (const auto& r : rows)
        cells << E(r);
    return cells;
}

int columnOf(const QString& attribute)
{
    for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
        if (attribute == QLatin1String(SnmpRequest::AttributeName(c)))
            return c;
    }
    return 0;
}

SnmpRequest fullRow(int i)
{
    SnmpRequest r;
    r.Enable = i % 3 ? QStringLiteral("Y") : QStringLiteral("N");
    r.IP_Address = QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200 + 1);
    r.Version = QStringLiteral("2");
    r.Community_String = QStringLiteral("Marble");
    r.OID = QStringLiteral("1.3.6.1.2.1.2.2.1.10.%1").arg(i + 1);
    r.Type = QStringLiteral("Int");
    r.Mode = QStringLiteral("Get");
    r.On_Change = QStringLiteral("N");
    r.On_Command = i % 2 ? QStringLiteral("Y") : QStringLiteral("N");
    r.On_Timer = QStringLiteral("Y");
    r.Time = QStringLiteral("1000");
    r.Position = QString::number(i % 240);
    r.Number_Bytes = QStringLiteral("4");
    r.ConvertFrom = QStringLiteral("None");
    r.Cancel = QStringLiteral("N");
    r.Mnemonic = QStringLiteral("in octets, port %1; \"uplink\"").arg(i + 1);
    return r;
}

} // namespace

class TestTableText : public QObject {
    Q_OBJECT
private slots:
    void csvImport_data();
    void csvImport();
    void exportImportRoundTrip();
    void exportFormat();
    void tabText_data();
    void tabText();
    void paste_data();
    void paste();
    void messages();
    void cliExport();
    void cliImport_data();
    void cliImport();
};

void TestTableText::csvImport_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<TableTextProblem::Kind>("kind");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column"); // of a cell problem
    QTest::addColumn<int>("rows");   // imported on success
    QTest::addColumn<Expect>("cells");

    const QByteArray row1 = "Y,10.0.0.1,2,public,1.3.6.1.2.1.1.5.0,String,Get,N,N,Y,1000,4,16,None,N,name";

    QTest::newRow("comma, CRLF, BOM") << "\xEF\xBB\xBF" + kHeader + "\r\n" + row1 + "\r\n" << TableTextProblem::None
                                      << 0 << 0 << 1 << E({"1:OID=1.3.6.1.2.1.1.5.0", "1:Mnemonic=name"});
    QTest::newRow("semicolon, LF, no BOM") << semicolons(kHeader + "\n" + row1 + "\n" + row1) << TableTextProblem::None
                                           << 0 << 0 << 2 << E({"2:IP_Address=10.0.0.1"});
    QTest::newRow("tab separated") << QByteArray(kHeader + "\r\n" + row1).replace(',', '\t') << TableTextProblem::None
                                   << 0 << 0 << 1 << E({"1:Community_String=public"});
    QTest::newRow("quotes: separators, doubled quotes, line end kept for the check")
        << kHeader + "\r\nY,10.0.0.1,2,public,1.3.6,Int,Get,N,N,N,,,4,None,N,\"a, b; \"\"c\"\"\"\r\n"
        << TableTextProblem::None << 0 << 0 << 1 << E({"1:Mnemonic=a, b; \"c\""});
    QTest::newRow("semicolon file with commas in a quoted field")
        << semicolons(kHeader) + "\nY;10.0.0.1;;;;;;;;;;;;;;\"x,y;z\"\n" << TableTextProblem::None << 0 << 0 << 1
        << E({"1:Mnemonic=x,y;z"});
    QTest::newRow("Windows-1252 umlauts") << kHeader + "\r\nY,10.0.0.1,,,,,,,,,,,,,,Pumpe R\xfc" "cklauf \x80\r\n"
                                          << TableTextProblem::None << 0 << 0 << 1
                                          << E({"1:Mnemonic=Pumpe Rücklauf €"});
    QTest::newRow("UTF-8 umlauts") << kHeader + "\r\nY,10.0.0.1,,,,,,,,,,,,,,Pumpe R\xc3\xbc" "cklauf\r\n"
                                   << TableTextProblem::None << 0 << 0 << 1
                                   << E({"1:Mnemonic=Pumpe Rücklauf"});
    const QString unicode = QString::fromUtf8("IP_Address\tMnemonic\r\n10.0.0.1\tPumpe Rücklauf\r\n");
    QTest::newRow("UTF-16 text, tab separated")
        << "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(unicode.utf16()), unicode.size() * 2)
        << TableTextProblem::None << 0 << 0 << 1 << E({"1:Mnemonic=Pumpe Rücklauf"});
    QTest::newRow("columns in any order, any case, blanks; missing columns")
        << QByteArray(" mnemonic ; IP_ADDRESS;oid\r\nfan;10.0.0.3;1.3.6.1\r\n") << TableTextProblem::None << 0 << 0 << 1
        << E({"1:Mnemonic=fan", "1:IP_Address=10.0.0.3", "1:Enable=Y", "1:On_Change=N", "1:On_Command=N",
                  "1:Cancel=N", "1:ConvertFrom=None", "1:Version=", "1:Time=", "2:Enable=Y", "2:On_Change="});
    QTest::newRow("check boxes and pick lists in any case")
        << QByteArray("Enable,IP_Address,Mode,Type,ConvertFrom,On_Timer\ny,10.0.0.1,set,INT,float * 10,n\n")
        << TableTextProblem::None << 0 << 0 << 1
        << E({"1:Enable=Y", "1:Mode=Set", "1:Type=Int", "1:ConvertFrom=Float * 10", "1:On_Timer=N"});
    QTest::newRow("blank last lines, empty trailing header field")
        << QByteArray("IP_Address,Mnemonic,\n10.0.0.1,a,\n\n\r\n") << TableTextProblem::None << 0 << 0 << 1
        << E({"1:Mnemonic=a"});
    QTest::newRow("header only") << kHeader + "\r\n" << TableTextProblem::None << 0 << 0 << 0 << E({"1:Enable=Y", "1:IP_Address="});
    QTest::newRow("blank lines between rows are reset rows")
        << QByteArray("IP_Address,On_Change\n10.0.0.1,Y\n\n , \n10.0.0.4,N\n") << TableTextProblem::None << 0 << 0 << 4
        << E({"2:Enable=Y", "2:On_Change=", "3:IP_Address=", "4:IP_Address=10.0.0.4", "4:On_Change=N"});
    QTest::newRow("UTF-8 mark mangled by a Windows-1252 reader, before the first name")
        << QByteArray("\xC3\xAF\xC2\xBB\xC2\xBF" "Enable,IP_Address,Mnemonic\r\nY,10.0.0.1,M\xC3\xBCller\r\n")
        << TableTextProblem::None << 0 << 0 << 1 << E({"1:IP_Address=10.0.0.1", "1:Mnemonic=Müller"});
    QTest::newRow("a mark, then the mangled one")
        << QByteArray("\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBF" "Enable,IP_Address\r\nY,10.0.0.1\r\n") << TableTextProblem::None
        << 0 << 0 << 1 << E({"1:IP_Address=10.0.0.1"});
    QTest::newRow("no mark: one byte that is not UTF-8 makes every line Windows-1252")
        << QByteArray("IP_Address,Mnemonic\n10.0.0.1,\xC3\xBC\n10.0.0.2,\xFC\n") << TableTextProblem::None << 0 << 0 << 2
        << E({"1:Mnemonic=Ã¼", "2:Mnemonic=ü"});

    QTest::newRow("empty file") << QByteArray("\xEF\xBB\xBF\r\n") << TableTextProblem::NoHeader << 1 << 0 << 0 << E({});
    QTest::newRow("unknown column") << QByteArray("IP_Address,Comment\n10.0.0.1,x\n") << TableTextProblem::UnknownColumn
                                    << 1 << 0 << 0 << E({});
    QTest::newRow("duplicate column") << QByteArray("IP_Address;OID;ip_address\n") << TableTextProblem::DuplicateColumn
                                      << 1 << 0 << 0 << E({});
    QByteArray many = "IP_Address\r\n";
    for (int i = 0; i < 513; ++i)
        many += "10.0.0.1\r\n";
    QTest::newRow("513 rows") << many << TableTextProblem::TooManyRows << 514 << 0 << 0 << E({});
    // Read no further than row 513: the quote that never closes is not reached.
    for (int i = 513; i < 600; ++i)
        many += "10.0.0.1\r\n";
    QTest::newRow("600 rows, a quote never closed after them")
        << many + "\"open\r\n" << TableTextProblem::TooManyRows << 514 << 0 << 0 << E({});
    QByteArray full = "IP_Address\r\n";
    for (int i = 0; i < 512; ++i)
        full += "10.0.0.1\r\n";
    for (int i = 0; i < 2000; ++i)
        full += i % 2 ? "\r\n" : " ,\t\r\n";
    QTest::newRow("512 rows and blank lines") << full << TableTextProblem::None << 0 << 0 << 512 << E({"512:IP_Address=10.0.0.1"});
    QTest::newRow("unrelated text: refused at its first line")
        << "2026-12-10 10:00:00 INFO service started\n" + QByteArray(100000, 'x') + "\"open\n" << TableTextProblem::UnknownColumn
        << 1 << 0 << 0 << E({});
    QTest::newRow("marked UTF-8 with a byte that is not")
        << "\xEF\xBB\xBF" + kHeader + "\r\nY,10.0.0.1,,,,,,,,,,,,,,ok\r\n\r\nY,10.0.0.2,,,,,,,,,,,,,,Pumpe M\xFCller\r\n"
        << TableTextProblem::InvalidUtf8 << 4 << 0 << 0 << E({});
    QTest::newRow("a cell longer than any column takes")
        << "IP_Address,Mnemonic\n10.0.0.1," + QByteArray(kv::SnmpCellMaxLength + 1, 'm') + "\n"
        << TableTextProblem::TooLong << 2 << int(kv::ColMnemonic) << 0 << E({});
    QTest::newRow("bad pick-list value") << QByteArray("IP_Address,Mode\n10.0.0.1,Get\n10.0.0.2,Walk\n")
                                         << TableTextProblem::NotAChoice << 3 << int(kv::ColMode) << 0 << E({});
    QTest::newRow("position past the choices") << QByteArray("IP_Address,Position\n10.0.0.1,244\n")
                                                << TableTextProblem::NotAChoice << 2 << int(kv::ColPosition) << 0 << E({});
    QTest::newRow("check box neither Y nor N") << QByteArray("IP_Address,Cancel\n10.0.0.1,yes\n")
                                               << TableTextProblem::NotAChoice << 2 << int(kv::ColCancel) << 0 << E({});
    QTest::newRow("line break inside a cell") << QByteArray("IP_Address,Mnemonic\n10.0.0.1,\"two\nlines\"\n")
                                              << TableTextProblem::ControlCharacter << 2 << int(kv::ColMnemonic) << 0
                                              << E({});
    QTest::newRow("OID longer than 64") << "OID\n" + QByteArray(65, '1') + "\n" << TableTextProblem::TooLong << 2
                                        << int(kv::ColOid) << 0 << E({});
    QTest::newRow("unclosed quote") << QByteArray("IP_Address,Mnemonic\n10.0.0.1,ok\n10.0.0.2,\"open\n")
                                    << TableTextProblem::UnclosedQuote << 3 << 0 << 0 << E({});
    QTest::newRow("more fields than names") << QByteArray("IP_Address,Mnemonic\n10.0.0.1,a,b\n")
                                            << TableTextProblem::TooManyFields << 2 << 0 << 0 << E({});
}

void TestTableText::csvImport()
{
    QFETCH(QByteArray, csv);
    QFETCH(TableTextProblem::Kind, kind);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(int, rows);
    QFETCH(Expect, cells);

    QVector<SnmpRequest> table(kv::SnmpMaxRows, SnmpRequest());
    table[0].Mnemonic = QStringLiteral("before");
    const QVector<SnmpRequest> before = table;
    TableTextProblem problem;
    int count = -1;
    const bool ok = kv::ReadSnmpCsv(csv, 244, table, problem, &count);
    QCOMPARE(problem.kind, kind);
    QCOMPARE(ok, kind == TableTextProblem::None);
    if (!ok) {
        QCOMPARE(problem.line, line);
        QCOMPARE(problem.column, column);
        QVERIFY(table == before);
        return;
    }
    QCOMPARE(count, rows);
    QCOMPARE(table.size(), kv::SnmpMaxRows);
    for (const QString& cell : cells) {
        const int colon = cell.indexOf(QLatin1Char(':'));
        const int eq = cell.indexOf(QLatin1Char('='));
        const int row = cell.left(colon).toInt();
        const int c = columnOf(cell.mid(colon + 1, eq - colon - 1));
        QCOMPARE(table[row - 1].field(c), cell.mid(eq + 1));
    }
    for (int r = rows; r < kv::SnmpMaxRows; ++r)
        QVERIFY(table[r] == SnmpRequest::ResetRow());
}

void TestTableText::exportImportRoundTrip()
{
    // Every kind of text a cell may hold from the editors, the hidden column set.
    QVector<SnmpRequest> rows(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int i = 0; i < 40; ++i)
        rows[i] = fullRow(i);
    rows[3].Mnemonic = QString::fromUtf8(" Pumpe, Rücklauf; \"Ø\" ");
    rows[4].Community_String = QStringLiteral("a,b\"c");
    rows[5].Version.clear();
    rows[5].On_Change.clear();
    rows[6].Position = QStringLiteral("0");
    const QByteArray xml = kv::SnmpRequestsXml(rows);

    QVector<SnmpRequest> back;
    kv::TableTextProblem problem;
    QVERIFY(kv::ReadSnmpCsv(kv::SnmpRequestsCsv(rows), 244, back, problem));
    QCOMPARE(kv::SnmpRequestsXml(back), xml);

    // The same from a file the configurator wrote.
    kv::SnmpTable table;
    QVERIFY(kv::LoadSnmpRequestsBytes(readAll(QStringLiteral(KV_FIXTURES_DIR "/workflow/SNMP_Manager.xml")),
                                      QStringLiteral("SNMP_Manager.xml"), table)
                .ok());
    QVERIFY(kv::ReadSnmpCsv(kv::SnmpRequestsCsv(table.rows), 244, back, problem));
    QCOMPARE(kv::SnmpRequestsXml(back), kv::SnmpRequestsXml(table.rows));
}

void TestTableText::exportFormat()
{
    // Every row up to the last one holding data; rows without data (reset,
    // inserted, check boxes only) as empty lines.
    QVector<SnmpRequest> rows(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    rows[0].IP_Address = QStringLiteral("10.0.0.1");
    rows[0].Mnemonic = QStringLiteral("say \"hi\", twice");
    rows[2] = SnmpRequest();
    rows[3].On_Timer = QStringLiteral("Y");
    rows[4].Mnemonic = QStringLiteral("spare"); // after a blank address
    rows[4].On_Command = QStringLiteral("Y");
    rows[6].On_Change = QStringLiteral("Y");
    const QByteArray csv = kv::SnmpRequestsCsv(rows);
    QCOMPARE(csv, "\xEF\xBB\xBF" + kHeader
                      + "\r\nY,10.0.0.1,,,,,,,,,,,,,,\"say \"\"hi\"\", twice\"\r\n\r\n\r\n\r\nY,,,,,,,,Y,,,,,,,spare\r\n");

    // Read back: the empty lines are empty rows, and the file is the same.
    QVector<SnmpRequest> back;
    TableTextProblem problem;
    int count = 0;
    QVERIFY(kv::ReadSnmpCsv(csv, 244, back, problem, &count));
    QCOMPARE(count, 5);
    QVERIFY(back[0] == rows[0]);
    QVERIFY(back[4] == rows[4]);
    for (int r : {1, 2, 3, 5, 6})
        QVERIFY(back[r] == SnmpRequest::ResetRow());
    QCOMPARE(kv::SnmpRequestsCsv(back), csv);
}

void TestTableText::tabText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<QStringList>>("cells");
    QTest::newRow("one cell") << "12" << C({{"12"}});
    QTest::newRow("spreadsheet block, CR LF and a last line end")
        << "a\tb\r\nc\t\r\n" << C({{"a", "b"}, {"c", ""}});
    QTest::newRow("LF, no last line end") << "a\tb\nc\td" << C({{"a", "b"}, {"c", "d"}});
    QTest::newRow("quoted cell with a tab and a quote") << "\"x\ty \"\"z\"\"\"\tw"
                                                        << C({{"x\ty \"z\"", "w"}});
    QTest::newRow("a lone quote is text") << "5\" pipe\tx" << C({{"5\" pipe", "x"}});
    QTest::newRow("unbalanced leading quote is text") << "\"open\tx\n" << C({{"\"open", "x"}});
    QTest::newRow("an empty cell") << "\n" << C({{""}});
    QTest::newRow("no further than a paste reaches: 513 lines")
        << QString(QStringLiteral("x\n")).repeated(600) << Cells(kv::SnmpMaxRows + 1, QStringList{QStringLiteral("x")});
}

void TestTableText::tabText()
{
    QFETCH(QString, text);
    QFETCH(QVector<QStringList>, cells);
    QCOMPARE(kv::ParseTabText(text), cells);
    // What the grid puts on the clipboard reads back the same.
    QCOMPARE(kv::ParseTabText(kv::CellsAsTabText(cells)), cells);
}

void TestTableText::paste_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QVector<QStringList>>("cells");
    QTest::addColumn<TableTextProblem::Kind>("kind");
    QTest::addColumn<int>("badRow");
    QTest::addColumn<int>("badColumn");

    const Cells block = C({{"10.0.0.9", "2", "public"}, {"10.0.0.10", "1", "private"}});
    QTest::newRow("block at IP Address") << 1 << int(kv::ColIpAddress) << block << TableTextProblem::None << 0 << 0;
    QTest::newRow("over the hidden column")
        << 1 << int(kv::ColOnChange) << C({{"y", "N", "5000"}}) << TableTextProblem::None << 0 << 0;
    QTest::newRow("past row 512") << 511 << int(kv::ColIpAddress)
                                  << C({{"10.0.0.1"}, {"10.0.0.2"}, {"10.0.0.3"}})
                                  << TableTextProblem::PastLastRow << 513 << int(kv::ColIpAddress);
    QTest::newRow("past the last column") << 4 << int(kv::ColCancel) << C({{"Y", "m", "extra"}})
                                          << TableTextProblem::PastLastColumn << 4 << int(kv::ColMnemonic);
    QTest::newRow("a version the list does not offer")
        << 1 << int(kv::ColIpAddress) << C({{"10.0.0.9", "2"}, {"10.0.0.10", "2c"}})
        << TableTextProblem::NotAChoice << 2 << int(kv::ColVersion);
    QTest::newRow("control character") << 3 << int(kv::ColMnemonic) << C({{"a\x01"}})
                                       << TableTextProblem::ControlCharacter << 3 << int(kv::ColMnemonic);
    QTest::newRow("a cell longer than any column takes")
        << 1 << int(kv::ColMnemonic) << Cells{{QString(kv::SnmpCellMaxLength + 1, QLatin1Char('m'))}}
        << TableTextProblem::TooLong << 1 << int(kv::ColMnemonic);
    QTest::newRow("community longer than the device keeps")
        << 1 << int(kv::ColCommunity) << C({{"sixteen-chars-xx"}}) << TableTextProblem::TooLong << 1
        << int(kv::ColCommunity);
}

void TestTableText::paste()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QVector<QStringList>, cells);
    QFETCH(TableTextProblem::Kind, kind);
    QFETCH(int, badRow);
    QFETCH(int, badColumn);

    QVector<SnmpRequest> rows(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    rows[0].On_Command = QStringLiteral("Y");
    const QVector<SnmpRequest> before = rows;
    QVector<int> visible;
    for (int c = 1; c <= kv::SnmpFieldCount; ++c) {
        if (c != kv::ColOnCommand)
            visible << c;
    }
    TableTextProblem problem;
    const bool ok = kv::PasteCells(rows, row, column, cells, visible, 244, problem);
    QCOMPARE(problem.kind, kind);
    if (!ok) {
        QCOMPARE(problem.row, badRow);
        QCOMPARE(problem.column, badColumn);
        QVERIFY(rows == before);
        return;
    }
    for (int r = 0; r < cells.size(); ++r) {
        for (int j = 0; j < cells[r].size(); ++j) {
            const int c = visible.at(visible.indexOf(column) + j);
            const QString want = SnmpRequest::IsCheckBoxColumn(c) ? cells[r][j].toUpper() : cells[r][j];
            QCOMPARE(rows[row - 1 + r].field(c), want);
        }
    }
    QCOMPARE(rows[0].On_Command, QStringLiteral("Y")); // the hidden column keeps its value
}

void TestTableText::messages()
{
    const kv::LangTable lang;
    TableTextProblem p;
    p.kind = TableTextProblem::NotAChoice;
    p.row = 7;
    p.column = kv::ColMode;
    p.text = QStringLiteral("100%1");
    QCOMPARE(kv::TableTextMessage(p, lang, QStringLiteral("Mode")),
             QStringLiteral("Row 7, column Mode: \"100%1\" is not a value of this column. Nothing was changed."));
    p.line = 9;
    QVERIFY(kv::TableTextMessage(p, lang, QStringLiteral("Mode")).startsWith(QStringLiteral("Line 9 of the file: Row 7,")));
    TableTextProblem f;
    f.kind = TableTextProblem::UnknownColumn;
    f.line = 1;
    f.text = QStringLiteral("Comment");
    QCOMPARE(kv::TableTextMessage(f, lang, QString()),
             QStringLiteral("Line 1 of the file: \"Comment\" is not a column of the SNMP Manager table. Nothing was imported."));
}

void TestTableText::cliExport()
{
    QTemporaryDir dir;
    QVector<SnmpRequest> rows(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int i = 0; i < 3; ++i)
        rows[i] = fullRow(i);
    // A file row without an address before a filled one: exported too.
    writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")),
              kv::SnmpRequestsXml(rows).replace("IP_Address=\"10.0.0.2\"", "IP_Address=\"\""));
    rows[1].IP_Address.clear();
    const QByteArray csv = kv::SnmpRequestsCsv(rows);
    QCOMPARE(csv.count("\r\n"), 4);

    // Standard output carries the very bytes of the file, CR LF included.
    CliRun r = runCli({QStringLiteral("table"), QStringLiteral("export"), dir.path()});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.rawOut, csv);
    r = runCli({QStringLiteral("table"), QStringLiteral("export"), dir.path(), QStringLiteral("-o"),
                dir.filePath(QStringLiteral("out.csv"))});
    QCOMPARE(r.status, 0);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("out.csv"))), csv);

    writeFile(dir.filePath(QStringLiteral("SNMP_Manager.xml")), "<SNMP_Agent_Access><row");
    r = runCli({QStringLiteral("table"), QStringLiteral("export"), dir.path()});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("SNMP_Manager.xml")), qPrintable(r.err));
}

void TestTableText::cliImport_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("good") << QByteArray("IP_Address;OID;Number_Bytes\r\n10.0.0.1;1.3.6.1;4\r\n") << 0 << "" << "";
    QTest::newRow("data check fails") << QByteArray("IP_Address;OID;Number_Bytes\r\n10.0.0.1;1..3;4\r\n") << 1
                                      << "SNMP_Manager.xml: Error row 1!! OID string cannot contains two or more "
                                         "consecutive \".\"\n"
                                      << "";
    QTest::newRow("refused") << QByteArray("IP_Address,Remark\n10.0.0.1,x\n") << 2 << ""
                             << "Line 1 of the file: \"Remark\" is not a column";
    QTest::newRow("refused cell names its attribute")
        << QByteArray("IP_Address,Type\n10.0.0.1,Float\n") << 2 << ""
        << "Line 2 of the file: Row 1, column Type: \"Float\"";
    QTest::newRow("marked UTF-8 with a byte that is not")
        << QByteArray("\xEF\xBB\xBFIP_Address;Mnemonic\r\n10.0.0.1;Pumpe M\xFCller\r\n") << 2 << ""
        << "Line 2 of the file: the file is marked as UTF-8, but this line holds bytes that are not UTF-8.";
    QTest::newRow("missing file") << QByteArray() << 2 << "" << "missing.csv";
}

void TestTableText::cliImport()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    const QString xml = dir.filePath(QStringLiteral("SNMP_Manager.xml"));
    const QByteArray old = "<SNMP_Agent_Access/>";
    writeFile(xml, old);
    QString file = dir.filePath(QStringLiteral("missing.csv"));
    if (!csv.isEmpty()) {
        file = dir.filePath(QStringLiteral("in.csv"));
        writeFile(file, csv);
    }
    const CliRun r = runCli({QStringLiteral("table"), QStringLiteral("import"), dir.path(), file});
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, out);
    QVERIFY2(r.err.contains(err), qPrintable(r.err));
    if (status != 0) {
        QCOMPARE(readAll(xml), old);
        return;
    }
    QVector<SnmpRequest> want(kv::SnmpMaxRows, SnmpRequest::ResetRow());
    for (int c = 1; c <= kv::SnmpFieldCount; ++c)
        want[0].field(c) = kv::SnmpMissingAttributeText(c);
    want[0].IP_Address = QStringLiteral("10.0.0.1");
    want[0].OID = QStringLiteral("1.3.6.1");
    want[0].Number_Bytes = QStringLiteral("4");
    QCOMPARE(readAll(xml), kv::SnmpRequestsXml(want));
}

QTEST_GUILESS_MAIN(TestTableText)
#include "test_table_text.moc"
