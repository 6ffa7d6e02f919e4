// The key buckets that let a merge find the records an incoming record replaces without walking
// the whole list for every incoming record.
//
// An incoming record r shares a key with an existing record e exactly when a bucket that e
// belongs to is one that r looks in: the named bucket (manufacturer and part number, both
// non-empty, letters folded) for every record class, and for resistors also the value bucket
// (the three numbers) that unnamed existing records belong to and every incoming record looks
// in.
#pragma once

#include <string>

struct RecordKeys {
  // Bucket of the full name; empty when the manufacturer or the part number is empty.
  std::string named;
  // Bucket of the values; empty when the record has none (or a value is NaN and so never
  // equals anything).
  std::string values;
  // The record belongs to its value bucket (an unnamed resistor), besides looking in it.
  bool valuesMember = false;
};

// The named bucket of a manufacturer and part number, or empty when either is empty.
std::string NamedKey(const std::string& manufacturer, const std::string& partNumber);
