// Opens the port named on the command line as the configurator does and tells whether that worked:
// exit 0 when it opened, 1 with the error on stdout when not.
#include "device/CommInt.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    velmaro::TComm comm;
    try {
        comm.SetDeviceName(QString::fromLocal8Bit(argv[1]));
        comm.Open();
    } catch (const velmaro::ECommError& e) {
        std::fputs(e.what(), stdout);
        return 1;
    }
    std::fputs("opened", stdout);
    comm.Close();
    return 0;
}
