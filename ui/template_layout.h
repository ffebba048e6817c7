// Lays a dialog's existing controls out anew from one of the module's dialog templates, for
// the main dialog when the screen turns between portrait and landscape.
#pragma once

#include <windows.h>

#include "ui/dialog_template_walk.h"

// Moves every control of the dialog that the template lists to the template's position and
// size, all in one deferred batch, and refreshes what the platform ties to a control's
// geometry or template. True when the whole template was applied. Nothing moves when the
// template cannot be found, loaded or read, or the batch cannot be opened; a missing control,
// a rectangle that cannot be converted, a refused move, a cut-off record or two found records
// with the id 0xFFFF give false after the other records have been applied.
[[nodiscard]] bool ApplyTemplateLayout(HMODULE module, HWND dialog, UINT templateId);

// Restores the state of one moved control from its record: a button's or static's text or
// image, a list box's or combo box's selection. Creates, destroys, shows or enables nothing.
void RefreshControlFromTemplate(HMODULE module, HWND dialog, const DialogItemFixed& item,
                                const TemplateField& windowClass, const TemplateField& text);
