// The key buckets that let a merge find the records an incoming record replaces without walking
// the whole list for every incoming record.
//
// An incoming record r shares a key with an existing record e exactly when a bucket that e
// belongs to is one that r looks in: the named bucket (manufacturer and part number, both
// non-empty, letters folded) for every record class, and for resistors also the value bucket
// (the three numbers) that unnamed existing records belong to and every incoming record looks
// in.
#pragma once

#include <cstdint>
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

// Appends the bytes of a number as a key compares it: -0 as +0. False, appending nothing, for
// NaN, which equals nothing.
bool AppendNumberKey(std::string& key, float v);

// Builds the bucket of the records that a record order finds equal to one record, field by
// field: numbers that CompareFloats finds equal (-0 and +0; never NaN or an infinity, which
// CompareFloats finds equal to nothing), texts exactly or with ASCII letter case ignored.
class EqualRecordKey {
 public:
  EqualRecordKey& Number(float v);
  EqualRecordKey& Integer(std::int32_t v);
  EqualRecordKey& Text(const std::string& text, bool ignoreCase);
  // The bucket; empty when a number equals nothing, so the record equals no other.
  std::string Take();

 private:
  std::string m_key = "E";
  bool m_bEqualsNothing = false;
};
