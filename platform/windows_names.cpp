#include "platform/windows_names.h"

#include <cstring>

#include "platform/ascii.h"

namespace platform {

char ForbiddenNameCharacter(std::string_view component) {
  for (char c : component) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/<>:\"|?*", c) != nullptr) return c;
  }
  return '\0';
}

bool IsReservedDeviceName(std::string_view component) {
  std::string_view base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* name : {"CON", "PRN", "AUX", "NUL"})
    if (EqualsNoCase(base, name)) return true;
  if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
  return EqualsNoCase(base.substr(0, 3), "COM") || EqualsNoCase(base.substr(0, 3), "LPT");
}

bool EndsInDotOrBlank(std::string_view component) {
  return !component.empty() && (component.back() == '.' || component.back() == ' ');
}

bool LooksLikeShortNameAlias(std::string_view component) {
  const std::size_t dot = component.find('.');
  const std::string_view base = component.substr(0, dot);
  if (dot != std::string_view::npos) {
    const std::string_view extension = component.substr(dot + 1);
    if (extension.size() > 3 || extension.find('.') != std::string_view::npos) return false;
  }
  if (base.size() > 8 || component.find_first_of(" +,;=[]") != std::string_view::npos) return false;
  const std::size_t tilde = base.rfind('~');
  if (tilde == std::string_view::npos || tilde + 1 == base.size()) return false;
  for (char c : base.substr(tilde + 1))
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace platform
