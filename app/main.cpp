#include "app/application.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "app/mainwindow.h"
#include "app/modules.h"

int main(int argc, char *argv[])
{
    ZApplication app(argc, argv);
    InitProgramDir();
    SetUpApplication(app);
    testhooks::armFromEnvironment();
    RegisterModules();

    int rc = 0;
    {
        Tfrm_Main mainWindow;
        if (!mainWindow.startUp()) {
            ClearProgramDir();
            return 0;
        }
        mainWindow.showMain();
        mainWindow.startFollowUp();
        rc = ZApplication::exec();
    }
    ClearProgramDir();
    return rc;
}
