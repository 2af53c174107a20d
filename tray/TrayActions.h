// What the tray icon and its popup menu do.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TMenu;
class TTrayIcon;

// A left press opens the main program, a right press shows the popup menu at
// the cursor; every other mouse message does nothing.
void HandleTrayMouse(TTrayIcon* sender, WORD message);

// Index 0 opens the main program, 1 the user exclusion list, 3 the web site,
// 4 quits; 2 (the separator) and anything else do nothing.
void RunMenuAction(TMenu* sender, int index);

// The popup menu's template, texts in the user's language, ended by an empty entry.
std::vector<std::wstring> PopupMenuEntries();

// %AppData%\Tidora\NoClean.txt, with the folder (one level) and an empty file
// created when missing; an existing file is left as it is. Returns the file's path.
std::wstring PrepareExclusionList();
