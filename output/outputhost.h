#pragma once

// What the engines ask of the program around them while they run: how a data
// sheet goes out and, for a delimited one, where; and running the print
// preview as a modal dialog. The dialogs live above this layer, so the
// program installs them here once at start (SetUpApplication).

#include <functional>

class QDialog;
namespace zdb {
class RecordSet;
}

struct OutputHost
{
    // "Nyomtatás típusa": 0 preview, 1 print, 2 delimited export, -1 cancelled.
    std::function<int()> chooseSheetOutput;
    // The delimited export of an open record set, through its dialog.
    std::function<void(zdb::RecordSet *recordSet)> exportDelimited;
    // Runs a modal dialog, returning its result.
    std::function<int(QDialog *dialog)> runDialog;
};

// Missing members keep their defaults: a sheet goes to the preview, no
// delimited export is made, a dialog runs with QDialog::exec().
void SetOutputHost(OutputHost host);
const OutputHost &CurrentOutputHost();
