#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

#include "common/Vendor.h"

class QWidget;

namespace kv {

class IEchoClient;      // update/IcmpEcho.h
class IProgramStarter;  // update/ProgramStarter.h
class IVersionQuery;    // app/VersionCheck.h
class ISnmpTools;       // requests/SnmpTools.h

// The texts of the message boxes themselves, in the user's language.
struct MessageTexts {
    QString errorTitle = QStringLiteral("Error");
    QString warningTitle = QStringLiteral("Warning");
    QString questionTitle = QStringLiteral("Confirm");
    QString ok = QStringLiteral("OK");
    QString yes = QStringLiteral("Yes");
    QString no = QStringLiteral("No");
};

// Every message box of the configurator goes through here, so that tests can
// script the answers.
class IMessageService {
public:
    virtual ~IMessageService() = default;
    // Set whenever the language changes.
    virtual void setTexts(const MessageTexts& texts) { m_texts = texts; }
    const MessageTexts& boxTexts() const { return m_texts; }
    virtual void error(QWidget* parent, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // Which button Enter presses in a question.  Questions that throw
    // something away default to No.
    enum class Default { Yes, No };
    // Yes/No question; true for Yes.
    virtual bool question(QWidget* parent, const QString& text, Default byDefault = Default::Yes) = 0;

protected:
    MessageTexts m_texts;
};

// The file dialogs.  Each returns the chosen path, or an empty text on cancel.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, const QString& proposedName) = 0;
    virtual QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    // Several existing files at once; an empty list on cancel.
    virtual QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter)
    {
        const QString one = getOpenFileName(parent, caption, dir, filter);
        return one.isEmpty() ? QStringList() : QStringList{one};
    }
};

// Opens an address with the desktop's default handler.
class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    virtual void openUrl(const QUrl& url) = 0;
};

// The services the windows use, owned by main (or by a test).
struct UiServices {
    IMessageService* messages = nullptr;
    IFileDialogs* files = nullptr;
    IUrlOpener* urls = nullptr;
    IEchoClient* echo = nullptr;
    IProgramStarter* starter = nullptr;
    IVersionQuery* version = nullptr;
    ISnmpTools* snmp = nullptr;
};

// Real message boxes.
class QtMessageService : public IMessageService {
public:
    void error(QWidget* parent, const QString& text) override;
    void warning(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& text, Default byDefault = Default::Yes) override;
};

// Records every message; answers questions from a queue (No when empty).
class ScriptedMessageService : public IMessageService {
public:
    struct Entry {
        QString kind; // "error", "warning", "question"
        QString text;
        Default byDefault = Default::Yes; // of a question
    };
    void error(QWidget*, const QString& text) override { log.append({QStringLiteral("error"), text}); }
    void warning(QWidget*, const QString& text) override { log.append({QStringLiteral("warning"), text}); }
    bool question(QWidget*, const QString& text, Default byDefault = Default::Yes) override
    {
        log.append({QStringLiteral("question"), text, byDefault});
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QStringList texts() const
    {
        QStringList t;
        for (const Entry& e : log)
            t << e.text;
        return t;
    }
    QList<Entry> log;
    QList<bool> answers;
};

class QtFileDialogs : public IFileDialogs {
public:
    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter, const QString& proposedName) override;
    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter) override;
    QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) override;
};

// Returns a fixed answer and records the call.
class ScriptedFileDialogs : public IFileDialogs {
public:
    QString getSaveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter,
                            const QString& proposedName) override
    {
        record(caption, dir, filter);
        lastProposedName = proposedName;
        return answer;
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        record(caption, dir, filter);
        return openAnswer;
    }
    QStringList getOpenFileNames(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        record(caption, dir, filter);
        return openAnswers;
    }
    QString answer;          // of the save dialog
    QString openAnswer;      // of the open dialog
    QStringList openAnswers; // of the open dialog for several files
    QString lastCaption, lastDir, lastFilter, lastProposedName;
    int calls = 0;

private:
    void record(const QString& caption, const QString& dir, const QString& filter)
    {
        lastCaption = caption;
        lastDir = dir;
        lastFilter = filter;
        ++calls;
    }
};

class DesktopUrlOpener : public IUrlOpener {
public:
    void openUrl(const QUrl& url) override;
};

class RecordingUrlOpener : public IUrlOpener {
public:
    void openUrl(const QUrl& url) override { opened.append(url); }
    QList<QUrl> opened;
};

} // namespace kv
