#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/image.h>

// The pictures of resources/Images.h as wx bitmaps.

// Image `index` of toolbar bitmap 128 (the 200 x 25 strip), 25 x 25; its
// button-face colour is masked out so that the button shows the toolbar's
// own background.
wxBitmap ToolbarButtonBitmap(int index);
// Icon 128 at size x size pixels.
wxBitmap ApplicationIconBitmap(int size);
// Icon 128 at the sizes window managers ask for.
wxIconBundle ApplicationIcons();
