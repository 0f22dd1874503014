#include "state/AppSettings.h"

#include "common/AtomicFile.h"
#include "common/XmlUtil.h"

namespace kv {

bool AppSettings::operator==(const AppSettings& o) const
{
    return ActiveProjectName == o.ActiveProjectName && LastIpAddress == o.LastIpAddress
        && LanguageName == o.LanguageName && EnableInternet == o.EnableInternet
        && EnableUpdate == o.EnableUpdate && EnableJumpFieldTables == o.EnableJumpFieldTables
        && DoubleClickAutoSize == o.DoubleClickAutoSize;
}

namespace {

// parent > child text; the value stays as it is when any step fails.
void readText(const pugi::xml_node& root, const char* parent, const char* child, QString& value)
{
    QString t;
    if (ChildText(ChildElement(root, parent), child, t))
        value = t;
}

bool flag(const pugi::xml_node& parent, const char* child)
{
    QString t;
    return ChildText(parent, child, t) && t == QLatin1String("1");
}

AppSettings fromDocument(const pugi::xml_document& doc)
{
    AppSettings s;
    const pugi::xml_node root = FirstTopNode(doc);
    if (root.type() != pugi::node_element)
        return s; // a comment or declaration first: nothing is found under it
    readText(root, "lastproj", "projectname", s.ActiveProjectName);
    readText(root, "lastipadd", "ipaddress", s.LastIpAddress);
    readText(root, "lastlang", "language", s.LanguageName);
    const pugi::xml_node internet = ChildElement(root, "lastinternet");
    s.EnableInternet = flag(internet, "enable_internet");
    s.EnableUpdate = flag(internet, "enable_update");
    s.EnableJumpFieldTables = flag(internet, "enable_jump_field_tables");
    s.DoubleClickAutoSize = flag(internet, "Double_Click_Auto_Size");
    return s;
}

} // namespace

AppSettings ReadSettings(const QString& path)
{
    pugi::xml_document doc;
    if (!LoadXmlFile(path, doc).ok())
        return AppSettings();
    return fromDocument(doc);
}

AppSettings ReadSettingsBytes(const QByteArray& bytes)
{
    pugi::xml_document doc;
    if (!LoadXmlBytes(bytes, QStringLiteral("Tessaran.xml"), doc).ok())
        return AppSettings();
    return fromDocument(doc);
}

QByteArray SettingsBytes(const AppSettings& s)
{
    const auto one = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("Conf_Settings");
    AppendTextElement(root.append_child("lastproj"), "projectname", s.ActiveProjectName);
    AppendTextElement(root.append_child("lastipadd"), "ipaddress", s.LastIpAddress);
    AppendTextElement(root.append_child("lastlang"), "language", s.LanguageName);
    pugi::xml_node internet = root.append_child("lastinternet");
    AppendTextElement(internet, "enable_internet", one(s.EnableInternet));
    AppendTextElement(internet, "enable_update", one(s.EnableUpdate));
    AppendTextElement(internet, "enable_jump_field_tables", one(s.EnableJumpFieldTables));
    AppendTextElement(internet, "Double_Click_Auto_Size", one(s.DoubleClickAutoSize));
    return SaveXmlBytes(doc);
}

bool WriteSettings(const AppSettings& s, const QString& path, QString* error)
{
    return WriteFileAtomic(path, SettingsBytes(s), error);
}

} // namespace kv
