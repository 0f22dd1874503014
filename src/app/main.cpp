#include "app/UTessaraneFirmWare.h"
#include "app/VersionCheck.h"
#include "common/UServices.h"
#include "common/UStyle.h"
#include "update/IcmpEcho.h"
#include "update/ProgramStarter.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    kv::InstallApplicationLook();

    kv::QtMessageService messages;
    kv::QtFileDialogs files;
    kv::DesktopUrlOpener urls;
    kv::IcmpEchoClient echo;
    kv::ProcessStarter starter;
    kv::HttpVersionQuery version;
    kv::UiServices services;
    services.messages = &messages;
    services.files = &files;
    services.urls = &urls;
    services.echo = &echo;
    services.starter = &starter;
    services.version = &version;

    kv::AppState state(QCoreApplication::applicationDirPath());
    TFTessaraneFirmWare window(state, services);
    window.show();
    return app.exec();
}
