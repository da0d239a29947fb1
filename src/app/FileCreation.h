#pragma once
// Creating a table's data file from its dictionary definition, and emptying
// an open file.
//
// The Create buffer built from a definition, little-endian:
//
//   OFFSET  WIDTH        MEANING
//   0       2            record length: the definition's recordEnd
//   2       2            page size 4096
//   4       2            number of keys: index numbers 0 .. highest with segments
//   6       4            0
//   10      2            file flags: 0x0001 when the last field is a Note (12) or
//                        Lvar (13); 0x0400 when the count of segments flagged
//                        0x10 differs from highestIndexNumber + 1
//   12      4            0
//   16      16 each      segment entries, indexes in number order:
//     0     2              position: the field's record offset + 1
//     2     2              length: the field's size
//     4     2              key flags (extended type always set)
//     6     4              0
//     10    1              extended data type: the field's type
//     11    1              null value 0
//     12    2              0
//     14    1              key number
//     15    1              collating-sequence number

#include <cstdint>
#include <vector>

class DictionaryDef;
class FileViewer;

std::vector<uint8_t> DefinitionSpecification(const DictionaryDef& definition);

// Create with the specification above under definition.dataFileName;
// replace: an existing file is replaced, else refused. The engine status.
int createFromDefinition(const DictionaryDef& definition, bool replace);

// Empties the viewer's file. The records are deleted inside one transaction
// instead of creating the file again from the dictionary, which would lose
// the owner name, the encryption and any index added since the dictionary
// was written. A failure is shown ("recreating <file>"); true when the file
// is open and empty.
bool recreateFile(FileViewer& viewer);
