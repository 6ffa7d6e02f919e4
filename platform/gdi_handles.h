// GDI fonts and user-interface icons that free themselves. Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

// For icons loaded with LoadImage (not shared ones, which the system keeps).
struct IconDestroyer {
  void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

}  // namespace platform
