#include "app/FileCreation.h"

#include "dictionary/DictionaryDef.h"
#include "dictionary/FileSpecification.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "fields/FieldTypes.h"
#include "ui/MessageBox.h"
#include "viewer/FileEmptying.h"
#include "viewer/FileViewer.h"

using namespace qdx::wire;

std::vector<uint8_t> DefinitionSpecification(const DictionaryDef& definition) {
    int keys = 0, segments = 0, flagged = 0;
    for (int n = 0; n <= definition.highestIndexNumber && n < DictionaryDef::kMaxIndexes; ++n) {
        const FieldList& index = definition.index(n);
        if (index.Count() == 0) continue;
        ++keys;
        segments += index.Count();
        for (int s = 0; s < index.Count(); ++s)
            if (index.Get(s)->flags & kSegSegmented) ++flagged;
    }
    std::vector<uint8_t> spec(kSpecHeaderSize + kSegmentEntrySize * static_cast<size_t>(segments), 0);
    le::PutU16(&spec[kSpecRecordLength], static_cast<uint16_t>(definition.recordEnd));
    le::PutU16(&spec[kSpecPageSize], kSpecPageSizeValue);
    le::PutU16(&spec[kSpecKeyCount], static_cast<uint16_t>(keys));
    uint16_t flags = 0;
    if (definition.Count() > 0) {
        uint8_t lastType = definition.Get(definition.Count() - 1)->type;
        if (lastType == kTypeNote || lastType == kTypeLvar) flags |= kFileVariable;
    }
    if (flagged != definition.highestIndexNumber + 1) flags |= kFileSegmentCountDiffers;
    le::PutU16(&spec[kSpecFileFlags], flags);
    uint8_t* entry = &spec[kSpecHeaderSize];
    for (int n = 0; n <= definition.highestIndexNumber && n < DictionaryDef::kMaxIndexes; ++n) {
        const FieldList& index = definition.index(n);
        for (int s = 0; s < index.Count(); ++s, entry += kSegmentEntrySize) {
            const FieldAttributes& segment = *index.Get(s);
            le::PutU16(entry + kSegPosition, static_cast<uint16_t>(segment.dictionaryOffset + 1));
            le::PutU16(entry + kSegLength, segment.length);
            le::PutU16(entry + kSegFlags, static_cast<uint16_t>(segment.flags | kSegExtendedType));
            entry[kSegType] = segment.type;
            entry[kSegKeyNumber] = static_cast<uint8_t>(n);
            entry[kSegCollation] = segment.collatingNumber;
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
