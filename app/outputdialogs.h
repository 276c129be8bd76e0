#pragma once

// Hands the output engines the dialogs they ask mid-run (output/outputhost.h):
// "Nyomtatás típusa", the delimited export and the modal run that test hooks
// answer. Part of setting up the application.
void InstallOutputDialogs();
