#pragma once
#include <QStringList>

namespace kv {
struct DataMap;
}

// Each subcommand takes its own arguments (without the program and command
// names) and returns the exit status.  Output goes to stdout/stderr.
int CmdLangcheck(const QStringList& args);
int CmdCheck(const QStringList& args);
int CmdCompile(const QStringList& args);
int CmdInspect(const QStringList& args);
int CmdJob(const QStringList& args);
int CmdGsdml(const QStringList& args);
int CmdTable(const QStringList& args);
int CmdSnmpTest(const QStringList& args);
int CmdMap(const QStringList& args);
int CmdMib(const QStringList& args);

// Small output helpers (UTF-8).
void Out(const QString& text);  // stdout, adds a line end
void Err(const QString& text);  // stderr, adds a line end

// The overlap and outside findings of a data map, one readable line each
// (the map command prints them; check gives them as warnings).
QStringList DataMapFindingLines(const kv::DataMap& map);
