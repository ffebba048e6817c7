// What tests may know about our shell stand-in's windows: their classes, sizes and the failure switch.
#pragma once

// The strip along the top of the screen: the dialog's title on the left, its "ok" button on the right.
#define AYGSHELL_STANDIN_TITLE_CLASS L"title_strip"
// The menu bar along the bottom of the screen; each top-level menu item is a "Button" child.
#define AYGSHELL_STANDIN_MENUBAR_CLASS L"menu_worker"

// Pixel heights at the device's 240 x 320 screen.
#define AYGSHELL_STANDIN_TITLE_HEIGHT 26
#define AYGSHELL_STANDIN_MENUBAR_HEIGHT 26

// Set to 1 in the process: SHCreateMenuBar fails and creates nothing.
#define AYGSHELL_STANDIN_FAIL_CREATEMENUBAR L"AYGSHELL_STANDIN_FAIL_CREATEMENUBAR"
