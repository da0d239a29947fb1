#include "viewfile/View.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "fields/FieldCodec.h"
#include "fields/FieldList.h"

namespace {

constexpr int kNewCalculatedWidth = 8;

// The width a calculated field gets when a view file creates it.
int CalculatedStartWidth(const FieldAttributes& field) {
    auto fresh = FieldAttributes::Calculated(field.name, kNewCalculatedWidth, Estring(), 2);
    return fresh->width;
}

FieldSection SectionOf(const FieldAttributes& field) {
    FieldSection s;
    s.name = field.name;
    s.calculated = field.IsCalculated();
    int defaultWidth = s.calculated ? CalculatedStartWidth(field) : DefaultDisplayWidth(field);
    s.hasWidth = field.width != defaultWidth;
    s.width = field.width;
    s.hasDecimals = field.decimals != FieldAttributes::kDefaultDecimals;
    s.decimals = field.decimals;
    s.hasEnabled = !field.selected || field.IsJoined();
    s.enabled = field.selected;
    s.hasFormula = s.calculated;
    s.formula = field.formula;
    return s;
}

bool AtDefaults(const FieldSection& s, const FieldAttributes& field) {
    bool defaultSelection = field.IsJoined() ? !field.selected : field.selected;
    return !s.calculated && !s.hasWidth && !s.hasDecimals && defaultSelection;
}

void ApplyField(const FieldSection& s, FieldList& fields) {
    FieldAttributes* field = nullptr;
    if (s.calculated) {
        fields.Remove(s.name.View());
        field = fields.Add(FieldAttributes::Calculated(s.name, kNewCalculatedWidth, Estring(), 2));
    } else {
        field = fields.Find(s.name.View());
        if (field == nullptr) return;  // a field this view does not have: skipped with its keys
    }
    if (s.hasWidth) field->width = s.width;
    if (s.hasDecimals) field->decimals = s.decimals;
    if (s.hasEnabled) field->selected = s.enabled;
    if (s.hasFormula) field->formula = s.formula;
    fields.Touch();  // formulas compiled against this list bind again
}

// Joins and calculated fields are appended as their sections are met, and a
// file lists every join before the field sections, so the joined columns
// would all come before the calculated ones. The field sections are in the
// order of the list that was saved: put the appended fields back in that
// order, a join's fields staying together (those of a join with no section,
// all hidden, go first).
void RestoreSavedOrder(const ViewDefinition& definition, FieldList& fields, int tailStart) {
    struct Block {
        std::vector<FieldAttributes*> members;
        int rank = -1;
    };
    std::vector<Block> blocks;
    for (int i = tailStart; i < fields.Count(); ++i) {
        FieldAttributes* field = fields.Get(i);
        const bool sameJoin = !blocks.empty() && field->IsJoined() && blocks.back().members.back()->join == field->join;
        if (!sameJoin) blocks.emplace_back();
        blocks.back().members.push_back(field);
    }
    if (blocks.size() < 2) return;
    for (Block& block : blocks) {
        for (size_t k = 0; k < definition.sections.size() && block.rank < 0; ++k) {
            const ViewSection& section = definition.sections[k];
            if (section.isJoin) continue;
            for (const FieldAttributes* member : block.members)
                if (section.field.name == member->name) block.rank = static_cast<int>(k);
        }
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return a.rank < b.rank; });
    int position = tailStart;
    for (const Block& block : blocks)
        for (const FieldAttributes* member : block.members) fields.Move(fields.IndexOf(member), position++);
}

}  // namespace

const FieldList* View::SegmentsOf(int key) const {
    if (key < 0 || key >= static_cast<int>(indexes.size())) return nullptr;
    const FieldList* segments = indexes[static_cast<size_t>(key)];
    return segments && segments->Count() > 0 ? segments : nullptr;
}

ViewDefinition describeView(const View& view) {
    ViewDefinition d;
    d.dictionaryName = view.tableName;
    d.hasIndex = true;
    d.index = view.keyNumber;
    d.filter = view.filterText;
    const FieldList* segments = view.Segments();
    if (segments && view.range.active) {
        d.rangeActive = d.hasRangeMin = d.hasRangeMax = true;
        d.rangeMin = view.range.LowerTexts(*segments);
        d.rangeMax = view.range.UpperTexts(*segments);
    }
    if (view.joiner) {
        for (const JoinDescription& join : view.joiner->Joins()) {
            ViewSection section;
            section.isJoin = true;
            section.join = join;
            d.sections.push_back(section);
        }
    }
    for (int i = 0; view.fields && i < view.fields->Count(); ++i) {
        const FieldAttributes& field = *view.fields->Get(i);
        FieldSection s = SectionOf(field);
        if (AtDefaults(s, field)) continue;
        ViewSection section;
        section.field = s;
        d.sections.push_back(section);
    }
    return d;
}

bool applyView(const ViewDefinition& definition, View& view, ViewFileMessage& message) {
    message = ViewFileMessage();
    if (!(definition.dictionaryName == view.tableName)) {
        message = {"Incompatible view file", ""};
        return false;
    }
    int keyNumber = definition.hasIndex ? definition.index : view.keyNumber;
    if (keyNumber != -1 && view.SegmentsOf(keyNumber) == nullptr) {
        message = {"Incompatible view file", Estring("Index ") + Estring::FromInt(keyNumber) + " is not defined"};
        return false;
    }
    bool hasJoins = false;
    for (const ViewSection& s : definition.sections) hasJoins = hasJoins || s.isJoin;
    if (hasJoins && view.joiner == nullptr) {
        message = {"Incompatible view file", "Joins cannot be made here"};
        return false;
    }

    FieldList& fields = *view.fields;
    if (view.joiner) view.joiner->RemoveJoins(fields);
    while (fields.Count() > 0 && fields.Get(fields.Count() - 1)->IsCalculated())
        fields.Remove(fields.Get(fields.Count() - 1));

    // What was there before keeps its place in front; what the file adds is
    // appended behind it (a calculated section first removes its namesake).
    int tailStart = fields.Count();
    for (const ViewSection& s : definition.sections) {
        if (s.isJoin) {
            view.joiner->AddJoin(s.join, fields);  // one that fails is skipped
            continue;
        }
        if (s.field.calculated) {
            const FieldAttributes* old = fields.Find(s.field.name.View());
            if (old && fields.IndexOf(old) < tailStart) --tailStart;
        }
        ApplyField(s.field, fields);
    }
    RestoreSavedOrder(definition, fields, tailStart);

    if (definition.hasIndex) {
        view.keyNumber = keyNumber;
        view.range.Reset(view.Segments());
    }
    view.filterText = definition.filter;
    const FieldList* segments = view.Segments();
    if (segments && definition.rangeActive) {
        // A side the file did not give keeps the bounds it had.
        std::vector<Estring> lower = definition.hasRangeMin ? definition.rangeMin : view.range.LowerTexts(*segments);
        std::vector<Estring> upper = definition.hasRangeMax ? definition.rangeMax : view.range.UpperTexts(*segments);
        view.range.SetBounds(*segments, lower, upper);
    } else if (!definition.hasIndex) {
        view.range.Reset(segments);
    }
    return true;
}
