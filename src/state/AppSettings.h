#pragma once
#include <QByteArray>
#include <QString>

namespace kv {

// The configurator's own settings, kept in Tessaran.xml beside the executable.
struct AppSettings {
    QString ActiveProjectName;
    QString LastIpAddress = QStringLiteral("192.168.2.205");
    QString LanguageName = QStringLiteral("English");
    bool EnableInternet = false;
    bool EnableUpdate = false;
    bool EnableJumpFieldTables = false;
    bool DoubleClickAutoSize = false;

    bool operator==(const AppSettings& o) const;
};

// Reads the settings; each value that cannot be read keeps its default.  A
// missing or unparseable file gives every default.  Never fails.
AppSettings ReadSettings(const QString& path);
AppSettings ReadSettingsBytes(const QByteArray& bytes);

// The whole settings document as written to disk.
QByteArray SettingsBytes(const AppSettings& s);

// Replaces the file whole; false with the reason in *error on failure.
bool WriteSettings(const AppSettings& s, const QString& path, QString* error = nullptr);

} // namespace kv
