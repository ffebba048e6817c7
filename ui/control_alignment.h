// Placing a dialog's controls against its edges and against each other when its size changes.
// Every operation finds its controls by identifier, skips one that does not exist, and works in
// the dialog's client coordinates.
#pragma once

#include <afxwin.h>

#include <initializer_list>

enum AlignKind {
    ALIGN_LEFT = 0,    // x = the base's left edge
    ALIGN_RIGHT = 1,   // right edge = the base's right edge
    ALIGN_TOP = 2,     // y = the base's top edge
    ALIGN_BOTTOM = 3,  // bottom edge = the base's bottom edge
};

// nLength pixels at 96 pixels per inch, scaled to the screen's horizontal density and rounded
// to the nearest pixel, halves away from zero. The density is asked once per process; when the
// screen has no device context it stays -1, and every length scales to 0.
int ScaleX(int nLength);

// Each control moves to the side margin (ScaleX(7)) and takes the client width less two
// margins; top and height stay.
void StretchControlsHorizontally(const CWnd& dialog, std::initializer_list<int> controlIds);

// The control keeps position and width; its bottom goes as far above the client bottom as its
// left edge is from the screen's left edge (on a full-screen dialog: the side margin).
void ExtendControlToBottom(const CWnd& dialog, int nControlId);

// Each control keeps its size and moves to line up with the base control's edge. Nothing moves
// when the base control does not exist.
void AlignControls(const CWnd& dialog, AlignKind nKind, int nBaseId,
                   std::initializer_list<int> controlIds);
