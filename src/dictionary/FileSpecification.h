#pragma once
// The file specification sent to Create for a table's data file, built from
// its schema, in the wire contract's layout (engine/Contract.h):
//   record length: the fixed part of the record; page size 4096; the number
//   of indexes; file flags kFileVariable when a Note or Lvar field makes the
//   records variable-length; then one segment entry per key segment, indexes
//   in number order, segments in order: position = the field's offset + 1,
//   length = its size, the key flags (kSegExtendedType always), the field's
//   data type as extended type, the index number as key number, null value
//   and collating sequence 0.

#include <cstdint>
#include <vector>

#include "dictionary/Schema.h"

constexpr uint16_t kSpecPageSizeValue = 4096;

// The Create buffer for table's data file.
// Requires: table was accepted by ParseSchema (or is the dictionary's own).
std::vector<uint8_t> BuildFileSpecification(const SchemaTable& table);
