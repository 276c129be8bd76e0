#include "application.h"
#include "helpers.h"
#include "mainwindow.h"
#include "modules.h"

int main(int argc, char *argv[])
{
    ZApplication app(argc, argv);
    InitProgramDir();
    SetUpApplication(app);
    RegisterModules();

    int rc = 0;
    {
        Tfrm_Main mainWindow;
        if (!mainWindow.startUp()) {
            ClearProgramDir();
            return 0;
        }
        mainWindow.showMain();
        rc = ZApplication::exec();
    }
    ClearProgramDir();
    return rc;
}
