#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

// The job the configurator hands to the updater (Ethernet_Update.xml), read
// and checked without touching the device.
struct UpdaterOperation {
    QString fileName;
    QString bankType;     // "1" firmware, "2" configuration
    QString startAddress;
    bool readBack = false;
    bool goToAppAfter = false;
    bool fileOk = false;
    QString fileReport;   // what the check of the file found
    QString kind() const;
};

struct UpdaterJob {
    bool wellFormed = false;
    QStringList problems;  // why the job is not well-formed
    QString deviceAddress;
    QString title;
    QString version;
    QVector<UpdaterOperation> operations;
    bool filesOk() const;
    // 0 when the job is well-formed and its files pass, else 1.
    int exitStatus() const { return wellFormed && filesOk() ? 0 : 1; }
    // The whole finding, one line each, as shown and reported.
    QStringList lines() const;
};

// Size of the configuration image and where its checksum lies.
constexpr qint64 kImageSize = 67584;
constexpr int kBlockStart = 0x10000;
constexpr int kChecksumOffset = 0x107FC;

// Reads and checks the job file at path, and the files its operations name.
UpdaterJob ReadUpdaterJob(const QString& path);

// Checks a configuration image: size and block checksum.  Empty when it
// passes, else the reason.
QString CheckConfigurationImage(const QByteArray& bytes);
