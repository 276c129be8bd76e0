#pragma once

// Registers the list windows and output entries of every subsystem with the
// main window's dispatch. Called once before the main window is created.
void RegisterModules();
