#include "viewer/ViewerView.h"

#include <algorithm>
#include <cstring>

#include "dictionary/DictionaryDef.h"
#include "viewer/FileViewer.h"

namespace {

FieldList* SegmentsOf(FileViewer& viewer, int key) {
    if (key < 0 || key >= DictionaryDef::kMaxIndexes) return nullptr;
    return &viewer.definition.index(key);
}

}  // namespace

View viewOf(FileViewer& viewer) {
    View view;
    view.file = viewer.dataFile;
    view.fields = &viewer.fields;
    for (int i = 0; i < DictionaryDef::kMaxIndexes; ++i) view.indexes.push_back(&viewer.definition.index(i));
    view.tableName = viewer.definition.tableName;
    view.keyNumber = viewer.keyNumber;
    view.filterText = viewer.filterText;
    view.joiner = viewer.joiner != nullptr ? viewer.joiner : viewer.joins.get();
    const FieldList* segments = view.Segments();
    view.range.Reset(segments);
    if (segments != nullptr && viewer.rangeActive) {
        std::memcpy(view.range.from.data(), viewer.rangeFrom, kRangeKeySize);
        std::memcpy(view.range.to.data(), viewer.rangeTo, kRangeKeySize);
        for (int s = 0; s < segments->Count(); ++s) {
            view.range.hasFrom[static_cast<size_t>(s)] = segments->Get(s)->hasFrom ? 1 : 0;
            view.range.hasTo[static_cast<size_t>(s)] = segments->Get(s)->hasTo ? 1 : 0;
        }
        view.range.active = true;
    }
    return view;
}

void takeViewInto(const View& view, FileViewer& viewer) {
    viewer.keyNumber = view.keyNumber;
    if (FieldList* segments = SegmentsOf(viewer, view.keyNumber)) {
        std::memcpy(viewer.rangeFrom, view.range.from.data(), kRangeKeySize);
        std::memcpy(viewer.rangeTo, view.range.to.data(), kRangeKeySize);
        for (int s = 0; s < segments->Count(); ++s) {
            FieldAttributes& segment = *segments->Get(s);
            const size_t i = static_cast<size_t>(s);
            segment.hasFrom = i < view.range.hasFrom.size() && view.range.hasFrom[i] != 0;
            segment.hasTo = i < view.range.hasTo.size() && view.range.hasTo[i] != 0;
        }
        viewer.rangeActive = view.range.active ? 1 : 0;
    } else {
        viewer.rangeActive = 0;
    }
    viewer.setFilter(view.filterText);  // restarts the page at the first record in view
    const int headerWidth = viewer.fields.HeadingText(2).Length();
    viewer.hOffset = std::max(0, std::min(viewer.hOffset, headerWidth - viewer.width));
    viewer.redrawGrid();
}
