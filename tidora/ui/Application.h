// The program's message loop and the few program-wide settings of the
// window toolkit.
#pragma once

#include <string>

class TForm;

namespace Application {

void SetTitle(const std::wstring& title);
std::wstring Title();
// The form whose end ends the message loop.
void SetMainForm(TForm* form);
TForm* MainForm();
// Runs the message loop until Terminate; returns the exit code.
int Run();
// Handles the messages waiting now, then returns.
void ProcessMessages();
// Ends the message loop. Worker threads may ask Terminated from any thread.
void Terminate();
bool Terminated();

}  // namespace Application
