#include "viewer/ViewDialogs.h"

#include "btrieve/BtrieveFile.h"
#include "ui/DialogFileOpen.h"
#include "ui/MessageBox.h"
#include "viewer/FileDialogPaths.h"
#include "viewer/FileViewer.h"
#include "viewer/ViewerView.h"
#include "viewfile/LastViewFile.h"
#include "viewfile/ViewFile.h"

namespace {

constexpr const char* kViewPattern = "*.qdx";

void Show(const ViewFileMessage& message) {
    if (!message.IsEmpty()) messageBox(message.first, message.second, kMessageOk);
}

}  // namespace

bool writeView(FileViewer& viewer, const Estring& path, bool silent) {
    const View view = viewOf(viewer);
    ConfirmOverwrite confirm;
    if (!silent) {
        confirm = [](const Estring& existing) {
            return messageBox("Overwrite existing view?", existing, kMessageOkCancel) == kAnswerOk;
        };
    }
    ViewFileMessage message;
    const bool written = writeView(describeView(view), path, confirm, message);
    if (!silent) Show(message);
    return written;
}

bool readView(FileViewer& viewer, const Estring& path) {
    View view = viewOf(viewer);
    ViewDefinition definition;
    ViewFileMessage message;
    if (!readView(path, view.tableName, viewer.dataFile->fileName(), definition, message) ||
        !applyView(definition, view, message)) {
        Show(message);
        return false;
    }
    takeViewInto(view, viewer);
    return true;
}

bool saveView(FileViewer& viewer) {
    Estring path;
    if (!browseForFile(defaultViewName(viewer.dataFile->fileName()), DialogFileOpen::kSaveAs, kViewPattern, path))
        return false;
    return writeView(viewer, path, false);
}

bool loadView(FileViewer& viewer) {
    Estring path;
    if (!browseForFile(defaultViewName(viewer.dataFile->fileName()), DialogFileOpen::kOpen, kViewPattern, path))
        return false;
    return readView(viewer, path);
}

Estring lastViewFileOf(const FileViewer& viewer) {
    if (!viewer.environment) return Estring();
    return lastViewPath(viewer.dataFile->fileName(), viewer.environment);
}

void writeLastView(FileViewer& viewer) {
    const Estring path = lastViewFileOf(viewer);
    if (!path.IsEmpty()) writeView(viewer, path, true);
}

bool loadLastView(FileViewer& viewer) {
    const Estring path = lastViewFileOf(viewer);
    if (path.IsEmpty()) return false;
    return readView(viewer, path);
}
