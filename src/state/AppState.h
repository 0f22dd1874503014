#pragma once
#include <QString>
#include <QStringList>

#include "state/AppSettings.h"
#include "lang/LangTable.h"

namespace kv {

// Product constants.
inline const QString SoftwareCode = QStringLiteral("KV52013");
inline const QString SoftwareDescription = QStringLiteral("PROFINET / SNMP Manager - Converter");
inline const QString ProgramVersion = QStringLiteral("1.000");

// The process-wide state, owned by the main window's program and handed to
// every window by reference.  A test builds its own on a temporary folder.
class AppState {
public:
    // Sets the workspace paths from the executable's folder; creates nothing.
    explicit AppState(const QString& exeDir);

    // Creates MASTER, PROJECTS, LANGUAGE and MIBS where missing (failures ignored).
    void CreateWorkspace() const;

    // Recomputes the document paths from ActiveProjectDir.
    void Set_Files();

    // Opens the configuration of that name (ActiveProjectName, ActiveProjectDir,
    // document paths); an empty name closes it.
    void OpenProject(const QString& name);

    bool HasOpenProject() const { return !ActiveProjectDir.isEmpty(); }
    QString BankPath() const;            // ActiveProjectDir/bin/bank.bin
    QString SettingsPath() const;        // ExeDir/Tessaran.xml
    QString Text(int index) const { return Lang.Get(index); }

    // Workspace
    QString ExeDir;
    QString MasterDir;
    QString ProjectsDir;
    QString LanguageDir;
    QString MibsDir; // the user's MIB files, read before the shipped SMI base

    // Open configuration
    QString ActiveProjectDir;
    QString ParGenPath;
    QString SnmpManagerPath;

    AppSettings Settings; // ActiveProjectName lives here
    LangTable Lang;
    QString LangFileVersion = QStringLiteral("NO VER.");

    QStringList RowCopyBuffer;

    // The update dialog's remembered choices for this run.
    int LastUpdateOption = 0;
    bool LastReadBack = false;
};

} // namespace kv
