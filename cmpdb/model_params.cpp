#include "cmpdb/model_params.h"

#include <cstdlib>
#include <cstring>

#include "cmpdb/statement_reader.h"
#include "platform/ascii.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The end of the leading decimal number of text (blanks, sign, digits with at most one point,
// an exponent), or text itself when there is none. Only the plain decimal form counts: no
// hexadecimal, infinity or NaN, and the point is always ".", whatever the locale.
const char* NumberEnd(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (IsDigit(*p)) ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p, digits = true;
  }
  if (!digits) return text;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  return p;
}

double Scale(const char*& e) {
  switch (*e) {
    case 'T':
    case 't':
      return 1e12;
    case 'G':
    case 'g':
      return 1e9;
    case 'K':
    case 'k':
      return 1e3;
    case 'R':
    case 'r':
      return 1;
    case '%':
      return 0.01;
    case 'M':
    case 'm':
      if (platform::StartsWithNoCase(e, "mil")) {
        e += 2;
        return 2.54e-5;
      }
      if (platform::StartsWithNoCase(e, "meg")) {
        e += 2;
        return 1e6;
      }
      return 1e-3;
    case 'U':
    case 'u':
    case '\xB5':
      return 1e-6;
    case 'N':
    case 'n':
      return 1e-9;
    case 'P':
    case 'p':
      return 1e-12;
    case 'F':
    case 'f':
      return 1e-15;
    default:
      return 1;
  }
}

}  // namespace

const char* FindParam(const char* text, const char* name) {
  if (!text || !name || !*name) return nullptr;
  const std::size_t length = std::strlen(name);
  const char* searched = text;
  for (;;) {
    const char* p = platform::FindNoCase(searched, name);
    if (!p) return nullptr;
    if (p != searched && !IsBlank(p[-1])) {
      searched = p + 1;
      continue;
    }
    const char* q = p + length;
    if (*q == '=' || IsBlank(*q)) return q + 1;
    searched = q;
  }
}

std::optional<std::string> ParamValue(const char* text, const char* name) {
  if (!text || !*text || !name || !*name) return std::nullopt;
  const char* p = FindParam(text, name);
  if (!p) return std::nullopt;
  while (*p == '=' || IsBlank(*p)) ++p;
  std::string value;
  for (; *p && !IsBlank(*p) && *p != ')'; ++p) value += *p == '_' ? ' ' : *p;
  return value;
}

double ParseEngValue(const char* text) {
  if (!text) return 0;
  const char* e = NumberEnd(text);
  double v = e == text ? 0 : std::strtod(std::string(text, e).c_str(), nullptr);
  const double scale = Scale(e);
  const char c = *e;
  const bool marker =
      IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80 || c == '_' || c == '$' || c == '%';
  if (marker && IsDigit(e[1])) {
    double place = 0.1;
    for (const char* d = e + 1; IsDigit(*d); ++d, place /= 10) v += (*d - '0') * place;
  }
  return v * scale;
}
