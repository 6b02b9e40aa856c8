#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The pictures of resources/Images.h as wx bitmaps.

// Toolbar bitmap 128, the 200 x 25 strip; its button-face colour is masked
// out so that buttons show the toolbar's own background.
wxBitmap ToolbarStripBitmap();
// Icon 128 at size x size pixels.
wxBitmap ApplicationIconBitmap(int size);
// Icon 128 at the sizes window managers ask for.
wxIconBundle ApplicationIcons();
