// Looking up the parameters of a model statement (name=value pairs) and reading their values,
// engineering suffixes included.
#pragma once

#include <optional>
#include <string>

// The position just after "name=" or "name " where name stands as a whole word (at the start
// of the searched text or after a blank, case-insensitively), or null. The name Rg is not found
// inside Cgdmax=0.5n, nor mfg in mfgx=1.
const char* FindParam(const char* text, const char* name);

// The value of the parameter: the characters after the name's "=" and blanks up to the end, a
// blank or ")", with every "_" read as a blank (mfg=Big_Parts gives "Big Parts"). Nothing when
// text or name is null or empty or the parameter is absent.
std::optional<std::string> ParamValue(const char* text, const char* name);

// The number at the start of text scaled by its engineering suffix (T G meg k R % mil m u n p f,
// either case; 0xB5 for micro), with digits after a letter read as further decimals: 800m gives
// 0.8, 4k7 gives 4700, 1meg5 gives 1.5e6, 10mil gives 2.54e-4, 5V3 gives 5.3. 0 for null.
double ParseEngValue(const char* text);
