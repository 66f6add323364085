#include "platform/win32/Picture_win.h"

#include <cstring>
#include <vector>

namespace duskline::win32 {

HBITMAP BitmapOf(const Picture& picture) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = picture.width;
  header.bV5Height = -picture.height;  // top-down rows
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  // The picture's own pixel layout, 0xAARRGGBB; icons take the alpha as it is, unpremultiplied.
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(uint32_t));
  return bitmap;
}

HICON IconOf(const Picture& picture) {
  HBITMAP colour = BitmapOf(picture);
  if (colour == nullptr) return nullptr;
  // The alpha decides; the mask only has to be there.
  std::vector<BYTE> maskBits(static_cast<size_t>((picture.width + 15) / 16 * 2 * picture.height));
  HBITMAP mask = CreateBitmap(picture.width, picture.height, 1, 1, maskBits.data());
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour;
  info.hbmMask = mask;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

}  // namespace duskline::win32
