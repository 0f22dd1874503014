// A small program that tests start in place of the updater, the same on
// every platform:
//   kv-test-child FILE MS [ARGS...]
// writes its process id and then its arguments ARGS, one line, into FILE,
// then sleeps MS milliseconds and ends.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QThread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QFile f(args.at(1));
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n');
    f.write(args.mid(3).join(QLatin1Char(' ')).toUtf8() + '\n');
    f.close();
    QThread::msleep(ulong(args.at(2).toInt()));
    return 0;
}
