#include "viewer/RecordCommands.h"

#include <algorithm>
#include <cstring>

#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "ui/MessageBox.h"
#include "viewer/FileViewer.h"
#include "viewer/HexView.h"
#include "viewer/RecordView.h"

bool editCursorRecord(FileViewer& viewer) {
    if (!recordView(viewer, false, 0)) return false;
    refreshOnCurrentRecord(viewer);
    return true;
}

bool insertRecord(FileViewer& viewer, bool likeCurrent) {
    if (!likeCurrent) {
        std::memset(viewer.recordBuffer.get(), 0, viewer.recordBufferSize);
        viewer.dataFile->setDataLength(0);  // nothing was read: no length of a record to keep
    }
    if (!recordView(viewer, true, 0)) return false;
    refreshOnCurrentRecord(viewer);
    return true;
}

bool hexViewOfRecord(FileViewer& viewer) {
    uint8_t* record = viewer.recordBuffer.get();
    const int length = std::min<int>(viewer.dataFile->dataLength(), static_cast<int>(viewer.recordBufferSize));
    if (!hexView(record, length, "Hex View", false)) return false;
    viewer.dataFile->setDataLength(static_cast<uint16_t>(length));
    const int status = viewer.dataFile->updateRecord(record, viewer.keyNumber >= 0 ? viewer.keyNumber : 0);
    if (status != 0) messageBox(statusText(status), "updating record", kMessageOk);
    refreshOnCurrentRecord(viewer);
    return true;
}

void refreshOnCurrentRecord(FileViewer& viewer) {
    const uint32_t position = viewer.dataFile->getPosition();
    const bool known = viewer.dataFile->status() == 0 && position != 0;
    viewer.refill();
    if (!known) return;
    for (int i = 0; i < viewer.rowCount(); ++i) {
        if (viewer.row(i).position == position) {
            viewer.cursor = i;
            return;
        }
    }
    if (viewer.reread(position) != 0) return;  // no longer in view: the page stays as filled
    viewer.restartAtCurrent();
    viewer.cursor = 0;
}
