#include "app/AppImages.h"

#include <wx/image.h>

#include <cstring>

#include "Images.h"

namespace {

wxImage ToolbarStripImage() {
  const IndexedImage strip = ToolbarStrip();
  wxImage image(strip.width, strip.height, false);
  unsigned char* rgb = image.GetData();
  for (std::uint8_t index : strip.pixels) {
    const Rgb& colour = ToolbarPalette()[index];
    *rgb++ = colour.r;
    *rgb++ = colour.g;
    *rgb++ = colour.b;
  }
  const Rgb& face = ToolbarPalette()[kToolbarBackground];
  image.SetMaskColour(face.r, face.g, face.b);
  return image;
}

}  // namespace

wxBitmap ToolbarButtonBitmap(int index) {
  // Cut from the image: wxGTK's sub-bitmap of a masked bitmap reads past
  // the end of its mask.
  const wxImage strip = ToolbarStripImage();
  return wxBitmap(strip.GetSubImage(
      wxRect(index * kToolbarButtonSize, 0, kToolbarButtonSize, kToolbarButtonSize)));
}

wxBitmap ApplicationIconBitmap(int size) {
  const RgbaImage icon = ApplicationIcon(size);
  wxImage image(icon.width, icon.height, false);
  image.InitAlpha();
  unsigned char* rgb = image.GetData();
  unsigned char* alpha = image.GetAlpha();
  for (std::size_t i = 0; i < icon.pixels.size(); i += 4) {
    std::memcpy(rgb, &icon.pixels[i], 3);
    rgb += 3;
    *alpha++ = icon.pixels[i + 3];
  }
  return wxBitmap(image);
}

wxIconBundle ApplicationIcons() {
  wxIconBundle icons;
  for (int size : {16, 24, 32, 48, 64, 128}) {
    wxIcon icon;
    icon.CopyFromBitmap(ApplicationIconBitmap(size));
    icons.AddIcon(icon);
  }
  return icons;
}
