#include "app/helpers/core/shared.h"

SharedData &Shared()
{
    static SharedData shared;
    return shared;
}

zdb::Connection *Db1()
{
    return Shared().Db1;
}
