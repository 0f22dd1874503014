#pragma once
// A configurator on a temporary workspace, with scripted services.
#include <QTemporaryDir>
#include <memory>

#include "state/AppState.h"
#include "common/UServices.h"

struct AppFixture {
    QTemporaryDir dir;
    kv::ScriptedMessageService messages;
    kv::ScriptedFileDialogs files;
    kv::RecordingUrlOpener urls;
    kv::UiServices services;
    std::unique_ptr<kv::AppState> state;

    AppFixture()
    {
        services.messages = &messages;
        services.files = &files;
        services.urls = &urls;
        state = std::make_unique<kv::AppState>(dir.path());
    }
    QString path(const QString& rel) const { return dir.path() + QLatin1Char('/') + rel; }
};
