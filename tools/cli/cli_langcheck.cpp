#include "Cli.h"

#include "lang/Language.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

void langcheckUsage(void (*print)(const QString&))
{
    print(QStringLiteral(
        "usage: kv52013-cli langcheck FILE [--json]\n"
        "Reads a language file with the configurator's own reader and shows what it sets.\n"
        "  --json   print one JSON object: {\"version\": V, \"entries\": {\"12\": \"text\", ...}}\n"
        "           V is the first //VERSION line's text, or null without one;\n"
        "           entries holds each index the file sets (the last line naming it wins).\n"
        "Without --json: a listing, then the number of lines ignored: non-blank lines\n"
        "that set nothing (free comments, STR lines with a bad index or an empty value,\n"
        "version lines after the first).\n"
        "A file that begins with a byte-order mark is read as UTF-8 or UTF-16, any other\n"
        "as Windows-1252; files over 16 MiB are not read.\n"
        "Exit status: 0 when the file was read, 2 when it is missing or unreadable."));
}

} // namespace

int CmdLangcheck(const QStringList& args)
{
    bool json = false;
    QString path;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            langcheckUsage(Out);
            return 0;
        } else if (path.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            path = a;
        } else {
            langcheckUsage(Err);
            return 2;
        }
    }
    if (path.isEmpty()) {
        langcheckUsage(Err);
        return 2;
    }

    const kv::LanguageFile f = kv::ReadLanguageFileContents(path);
    if (!f.readable) {
        Err(QStringLiteral("langcheck: ") + f.error);
        return 2;
    }

    if (json) {
        QJsonObject entries;
        for (auto it = f.entries.cbegin(); it != f.entries.cend(); ++it)
            entries.insert(QString::number(it.key()), it.value());
        QJsonObject root;
        root.insert(QStringLiteral("version"), f.hasVersion ? QJsonValue(f.version) : QJsonValue(QJsonValue::Null));
        root.insert(QStringLiteral("entries"), entries);
        Out(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)));
        return 0;
    }

    Out(QStringLiteral("Version: ") + (f.hasVersion ? f.version : QStringLiteral("none (NO VER.)")));
    Out(QStringLiteral("Entries set: %1").arg(f.entries.size()));
    for (auto it = f.entries.cbegin(); it != f.entries.cend(); ++it)
        Out(QStringLiteral("  %1 \"%2\"").arg(it.key(), 4).arg(it.value()));
    Out(QStringLiteral("Lines ignored: %1").arg(f.ignoredLines));
    return 0;
}
