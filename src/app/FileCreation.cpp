#include "app/FileCreation.h"

#include "dictionary/DictionaryDef.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "fields/FieldTypes.h"
#include "ui/MessageBox.h"
#include "viewer/FileEmptying.h"
#include "viewer/FileViewer.h"

namespace {

constexpr uint16_t kPageSize = 4096;
constexpr uint16_t kFlagVariable = 0x0001;
constexpr uint16_t kFlagSegmentCount = 0x0400;
constexpr uint16_t kSegmentFlag = 0x0010;
constexpr uint16_t kExtendedType = 0x0100;
constexpr int kHeaderSize = 16;
constexpr int kEntrySize = 16;

}  // namespace

std::vector<uint8_t> DefinitionSpecification(const DictionaryDef& definition) {
    int keys = 0, segments = 0, flagged = 0;
    for (int n = 0; n <= definition.highestIndexNumber && n < DictionaryDef::kMaxIndexes; ++n) {
        const FieldList& index = definition.index(n);
        if (index.Count() == 0) continue;
        ++keys;
        segments += index.Count();
        for (int s = 0; s < index.Count(); ++s)
            if (index.Get(s)->flags & kSegmentFlag) ++flagged;
    }
    std::vector<uint8_t> spec(static_cast<size_t>(kHeaderSize + kEntrySize * segments), 0);
    le::PutU16(&spec[0], static_cast<uint16_t>(definition.recordEnd));
    le::PutU16(&spec[2], kPageSize);
    le::PutU16(&spec[4], static_cast<uint16_t>(keys));
    uint16_t flags = 0;
    if (definition.Count() > 0) {
        uint8_t lastType = definition.Get(definition.Count() - 1)->type;
        if (lastType == kTypeNote || lastType == kTypeLvar) flags |= kFlagVariable;
    }
    if (flagged != definition.highestIndexNumber + 1) flags |= kFlagSegmentCount;
    le::PutU16(&spec[10], flags);
    uint8_t* entry = &spec[kHeaderSize];
    for (int n = 0; n <= definition.highestIndexNumber && n < DictionaryDef::kMaxIndexes; ++n) {
        const FieldList& index = definition.index(n);
        for (int s = 0; s < index.Count(); ++s, entry += kEntrySize) {
            const FieldAttributes& segment = *index.Get(s);
            le::PutU16(entry, static_cast<uint16_t>(segment.dictionaryOffset + 1));
            le::PutU16(entry + 2, segment.length);
            le::PutU16(entry + 4, static_cast<uint16_t>(segment.flags | kExtendedType));
            entry[10] = segment.type;
            entry[14] = static_cast<uint8_t>(n);
            entry[15] = segment.collatingNumber;
        }
    }
    return spec;
}

int createFromDefinition(const DictionaryDef& definition, bool replace) {
    std::vector<uint8_t> spec = DefinitionSpecification(definition);
    return BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), definition.dataFileName, replace);
}

bool recreateFile(FileViewer& viewer) {
    int status = EmptyFileWithProgress(*viewer.dataFile);
    if (status == kEmptyingCancelled) return viewer.dataFile->isOpen();
    if (status != 0) {
        messageBox(statusText(status), Estring("recreating ") + viewer.definition.dataFileName, kMessageOk);
        return false;
    }
    return viewer.dataFile->isOpen();
}
