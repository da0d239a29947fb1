#pragma once
// The process-wide console: the display the toolkit draws on and the input
// source it reads from. Both are never null: until something is installed
// they are an 80x25 MemoryDisplay and an empty ScriptedInput.
//
// The installed objects are not owned; the installer keeps them alive until
// it installs something else (nullptr restores the default of that slot).
// Installing a display forgets the remembered cursor shape (it is -1 again),
// so the next SetCursorShape always reaches the new display.

#include "platform/Display.h"
#include "platform/InputSource.h"

Display& ConsoleDisplay();
InputSource& ConsoleInput();
void InstallConsole(Display* display, InputSource* input);

// The process-wide cursor shape: -1 (unknown) until set. Size 0 hides the
// cursor; size > 0 shows it that high in percent of a cell. Setting the shape
// it already has makes no display call.
void SetCursorShape(int size);
int CursorShape();

// Size of the console's cell buffer.
void GetScreenSize(int& width, int& height);
