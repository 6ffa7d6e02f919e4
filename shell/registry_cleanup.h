// Removal of registry entries that older versions of the product left behind: the maker's
// settings keys and the file-type classes and extensions that still point at the product.
// Keys are deleted one level at a time from the deepest up, so a key that still holds
// anything not listed here stays. Nothing is reported.
#pragma once

#include <array>

// The file-type classes examined, in the order they are examined.
inline constexpr std::array<const char*, 14> FileTypeProgIds = {
    "ACS.Document",    "ASC.Document",      "Asy.Document",    "Cir.document",
    "ECS.Document",    "Net.Document",      "Raw.Document",    "Sp.Document",
    "Zephrin Netlist", "Zephrin Schematic", "Zephrin.Netlist", "Zephrin.Schematic",
    "Zephrin.Symbol",  "Zephrin.Rawfile"};

// The file-name extensions examined, in the order they are examined.
inline constexpr std::array<const char*, 4> FileTypeExtensions = {".asc", ".cir", ".asy", ".raw"};

// Deletes HKLM "Software\Quenmark Corporation\Toll Vex III\1.0", then "...\Toll Vex III", then
// "Software\Quenmark Corporation"; each only when it has no other subkeys.
void RemoveMakerSettingsKeys();

// Deletes each class of FileTypeProgIds whose own icon is a program file tvex3.exe, and each
// extension of FileTypeExtensions whose class names the product.
void RemoveStaleFileTypes();

// True when HKCR "<progId>\DefaultIcon" has a REG_SZ default value that contains
// "\tvex3.exe," (ASCII case ignored); false when the key or value is missing or unreadable.
bool ProgIdHasOwnIcon(const char* progId);

// Deletes the class's verbs open, print and printto (with their "ddeexec" and "command"
// keys), its "DefaultIcon" and "shell" keys and the class key, each only when empty by then.
void DeleteProgId(const char* progId);

// True when the HKCR key of extension has a REG_SZ default value that contains "Zephrin"
// (ASCII case ignored).
bool ExtensionNamesProduct(const char* extension);

// Deletes the extension's "ShellNew" key, then the extension key when it is empty by then.
void DeleteExtensionKey(const char* extension);
