// What the installer calls the product, its maker and its version: the one place for the texts
// that the dialog, the shortcuts, the messages and the version resource show. Plain macros,
// because the resource compiler reads this file too (it joins adjacent strings as C++ does).
#pragma once

#define TVEX_COMPANY_NAME "Quenmark Corporation"
// The short name, as the header line and the success message give it.
#define TVEX_PRODUCT_NAME "Zephrin/TvexIII"
// The full name, as the dialog's caption and the shortcuts' description give it.
#define TVEX_PRODUCT_FULL_NAME "Zephrin/Tollvex III"
#define TVEX_VERSION_TEXT "2.21m"
// The same version as four numbers: the letter of a revision counts from a = 1, so that
// 2.21m comes after 2.21l wherever versions are compared as numbers.
#define TVEX_VERSION_NUMBERS 2, 21, 13, 0
#define TVEX_VERSION_DOTTED "2.21.13.0"

#define TVEX_INSTALLER_CAPTION TVEX_PRODUCT_FULL_NAME " Installation"
#define TVEX_LINK_DESCRIPTION TVEX_COMPANY_NAME "'s " TVEX_PRODUCT_FULL_NAME
