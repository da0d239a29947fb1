#pragma once
// The text of the File Statistics window, from a Stat buffer.
//
// Stat buffer fields used (little-endian, the wire contract's layout):
//   OFFSET  WIDTH  MEANING                      LINE
//   0       2      record length                "Record Size       : "
//   2       2      page size                    "Page Size         : "
//   4       1      number of indexes            "Indexes           : "
//   5       1      version, major/minor nibble  "File Version      : " 6.0, or "pre-6.x"
//   6       4      number of records            "Number of Records : "
//   10      2      file flags                   the flag lines
//   12      1      duplicate pointers           "Free Duplicate    : "
//   14      2      unused pages                 "Unused Pages      : "

#include <cstdint>
#include <vector>

#include "base/Estring.h"

// The seven value lines, in window order.
std::vector<Estring> StatisticsValueLines(const uint8_t* stat);
// One line per file flag set, in window order: "Variable Length " (followed
// by "(right trimmed)" with blank truncation), "Preallocated Pages",
// "Compressed", "Key Only", "Index Balancing", "<n>0% free space
// threshold", "VATs".
std::vector<Estring> StatisticsFlagLines(uint16_t flags);
// A location cut to at most width (36) characters: with a drive letter
// ("C:...") its first 3 characters, "..." and its end; else "..." and its end.
Estring ShortenLocation(const Estring& location, int width = 36);
