#pragma once
// How dialogs reach the main window without knowing its class: it is the top-level
// widget named "mainwindowClass" (else the first top-level QMainWindow), and its
// operations are called by name. Without a main window every call does nothing.
class QGraphicsEffect;

// Calls the main window's slot or invokable `method` (no arguments) when it has one.
// Returns whether it was called.
bool invokeOnMainWindow(const char* method);

// Puts `effect` on the main window (the window takes ownership), or removes the one it
// has when `effect` is null. Without a main window a given effect is deleted.
void setMainWindowEffect(QGraphicsEffect* effect);
