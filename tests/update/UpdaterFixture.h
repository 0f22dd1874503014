#pragma once
// A configurator folder in a temporary directory with the stand-in updater
// copied beside it, its firmware image in MASTER and a configuration image.
#include <QtTest>

#include "TestFiles.h"

#include <QTemporaryDir>

struct UpdaterFixture {
    QTemporaryDir dir;

    QString exeDir() const { return dir.path(); }
    QString updater() const { return dir.path() + QStringLiteral("/Ethernet_Update" KV_EXE_SUFFIX); }
    QString firmware() const { return dir.path() + QStringLiteral("/MASTER/Img52013.sim"); }
    QString bank() const { return dir.path() + QStringLiteral("/PROJECTS/Plant/bin/bank.bin"); }
    QString report() const { return dir.path() + QStringLiteral("/report.txt"); }

    bool setUp()
    {
        return QDir().mkpath(dir.path() + QStringLiteral("/MASTER"))
            && QDir().mkpath(dir.path() + QStringLiteral("/PROJECTS/Plant/bin"))
            && QFile::copy(QStringLiteral(KV_BIN_DIR "/Ethernet_Update" KV_EXE_SUFFIX), updater())
            && tryWriteFile(firmware(), QByteArray(1024, '\x5A')) && tryWriteFile(bank(), image());
    }

    // 67,584 bytes; the block from 0x10000 holds three bytes whose sum
    // 0x12 + 0xFF + 0x34 = 0x145 is stored little-endian at 0x107FC.
    static QByteArray image()
    {
        QByteArray b(67584, '\0');
        b[0x10000] = char(0x12);
        b[0x10400] = char(0xFF);
        b[0x107FB] = char(0x34);
        b[0x107FC] = char(0x45);
        b[0x107FD] = char(0x01);
        b[0x0] = char(0x77); // outside the block: not summed
        return b;
    }

    QString readReport() const
    {
        return QString::fromUtf8(readAll(report()));
    }
};
