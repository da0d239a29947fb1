#include "TableView.h"

#include "engine/Contract.h"
#include "expr/ExpressionEvaluator.h"
#include "viewfile/ViewFile.h"

namespace qdxutil {

bool OpenTableView(Estring& directory, const std::string& tableName, const std::string& owner, TableView& out,
                   std::string& message) {
    if (!OpenTable(directory, tableName, owner, out.table, message)) return false;
    DictionaryDef& def = *out.table.def;
    def.SetFormulaEvaluator(std::make_shared<ExpressionEvaluator>());
    View& view = out.view;
    view.file = &out.table.file;
    view.fields = &def;
    for (int i = 0; i < DictionaryDef::kMaxIndexes; ++i) view.indexes.push_back(&def.index(i));
    view.tableName = def.tableName;
    view.keyNumber = def.highestIndexNumber >= 0 ? 0 : -1;
    view.range.Reset(view.Segments());
    const Estring dictionaryDirectory = directory;
    out.joins.SetOpener([dictionaryDirectory](BtrieveFile& file, const Estring& path, Estring& ownerName,
                                              unsigned& bufferSize) {
        int status = OpenJoinedFileQuietly(file, path, ownerName, bufferSize);
        if (status == qdx::wire::kFileNotFound && !path.IsEmpty() && path[0] != '/')
            status = OpenJoinedFileQuietly(file, DataFilePath(dictionaryDirectory, path), ownerName, bufferSize);
        return status;
    });
    view.joiner = &out.joins;
    return true;
}

bool LoadViewFile(TableView& tv, const std::string& path, std::string& message) {
    ViewDefinition definition;
    ViewFileMessage m;
    if (!readView(Estring(path), tv.view.tableName, tv.table.path, definition, m) ||
        !applyView(definition, tv.view, m)) {
        message = path + ": " + m.first.ToStdString() + (m.second.IsEmpty() ? "" : ": " + m.second.ToStdString());
        return false;
    }
    return true;
}

}  // namespace qdxutil
