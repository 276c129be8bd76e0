#include "output/outputhost.h"

#include <QDialog>

namespace {

OutputHost &host()
{
    static OutputHost h;
    return h;
}

} // namespace

void SetOutputHost(OutputHost given)
{
    if (!given.chooseSheetOutput)
        given.chooseSheetOutput = [] { return 0; };
    if (!given.exportDelimited)
        given.exportDelimited = [](zdb::RecordSet *) {};
    if (!given.runDialog)
        given.runDialog = [](QDialog *dialog) { return dialog->exec(); };
    host() = std::move(given);
}

const OutputHost &CurrentOutputHost()
{
    if (!host().runDialog)
        SetOutputHost({});
    return host();
}
