#include "state/AppState.h"

#include <QDir>

namespace kv {

AppState::AppState(const QString& exeDir)
    : ExeDir(QDir::cleanPath(exeDir))
{
    MasterDir = ExeDir + QStringLiteral("/MASTER");
    ProjectsDir = ExeDir + QStringLiteral("/PROJECTS");
    LanguageDir = ExeDir + QStringLiteral("/LANGUAGE");
    MibsDir = ExeDir + QStringLiteral("/MIBS");
    Set_Files();
}

void AppState::CreateWorkspace() const
{
    for (const QString& d : {MasterDir, ProjectsDir, LanguageDir, MibsDir}) {
        if (!QDir(d).exists())
            QDir().mkdir(d);
    }
}

void AppState::Set_Files()
{
    ParGenPath = ActiveProjectDir + QStringLiteral("/ParGen.xml");
    SnmpManagerPath = ActiveProjectDir + QStringLiteral("/SNMP_Manager.xml");
}

void AppState::OpenProject(const QString& name)
{
    Settings.ActiveProjectName = name;
    ActiveProjectDir = name.isEmpty() ? QString() : ProjectsDir + QLatin1Char('/') + name;
    Set_Files();
}

QString AppState::BankPath() const
{
    return ActiveProjectDir + QStringLiteral("/bin/bank.bin");
}

QString AppState::SettingsPath() const
{
    return ExeDir + QStringLiteral("/Tessaran.xml");
}

} // namespace kv
