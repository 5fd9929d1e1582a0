#include "app/CFXRApp.h"
#include "platform/CupsSpooler.h"
#include "platform/PosixSystem.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    presswick::CupsSpooler spooler;
    presswick::PosixSystem system;
    presswick::CFXRApp app(spooler, system);
    app.InitInstance();
    return 0;
}
