#pragma once
// The engine's own operation that checks a whole file, for `qdxutil check`:
// code kOpCheckFile on the position block of an open file.
//
//   BUFFER  IN                      OUT
//   data    room for the report     one line per problem found (text, "\n"
//                                   after each); lines that do not fit are
//                                   left out and a last line says how many
//   length  the data buffer's size  the bytes of the report
//   status                          0 sound, 2 damaged (the report says
//                                   how), or the status of a failed open
//
// Checked: SQLite's integrity check, every record's entry in every key (and
// no entry without its record), the records' lengths and seals, and the
// counts the file keeps against the real ones.

#include <cstdint>

namespace qdx::engine {

constexpr int kOpCheckFile = 700;

}  // namespace qdx::engine
