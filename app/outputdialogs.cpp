#include "app/outputdialogs.h"

#include "app/delimitedexportdialog.h"
#include "app/reportoutputdialog.h"

#include "app/helpers/testhooks.h"

#include "output/outputhost.h"

void InstallOutputDialogs()
{
    SetOutputHost({.chooseSheetOutput = ChooseReportOutput, .exportDelimited = ExportDelimited, .runDialog = execDialog});
}
