// Stand-in for the Ethernet updater: reads the job the configurator wrote
// beside it, shows it, checks the files it names, and never contacts the
// device.  KV_UPDATER_AUTOCLOSE_MS closes the window by itself after that
// many milliseconds; KV_UPDATER_REPORT names a file that receives the
// finding.  Exit status 0 when the job is well-formed and its files pass.

#include "UpdaterJob.h"

#include "common/AtomicFile.h"
#include "common/NumberRule.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString exeDir = QCoreApplication::applicationDirPath();
    const UpdaterJob job = ReadUpdaterJob(exeDir + QStringLiteral("/Ethernet_Update.xml"));
    const QStringList lines = job.lines();

    const QString reportPath = qEnvironmentVariable("KV_UPDATER_REPORT");
    if (!reportPath.isEmpty())
        kv::WriteFileAtomic(reportPath, lines.join(QLatin1Char('\n')).toUtf8() + '\n');

    QDialog window;
    window.setObjectName(QStringLiteral("Ethernet_Update"));
    window.setWindowTitle(job.title.isEmpty() ? QStringLiteral("Ethernet Update") : job.title);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(248, 247, 237));
    window.setPalette(pal);
    auto* layout = new QVBoxLayout(&window);
    auto* heading = new QLabel(job.exitStatus() == 0 ? QStringLiteral("Job ready for device %1").arg(job.deviceAddress)
                                                     : QStringLiteral("The job cannot be carried out"),
                               &window);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* text = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &window);
    text->setObjectName(QStringLiteral("M_Job"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = new QPushButton(QStringLiteral("Close"), &window);
    close->setObjectName(QStringLiteral("Btn_Close"));
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    window.resize(640, 300);

    qint32 autoClose = 0;
    if (kv::ToInt32(qEnvironmentVariable("KV_UPDATER_AUTOCLOSE_MS"), autoClose) && autoClose >= 0)
        QTimer::singleShot(autoClose, &window, &QDialog::accept);

    window.exec();
    return job.exitStatus();
}
