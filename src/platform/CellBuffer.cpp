#include "platform/CellBuffer.h"

#include <algorithm>

CellBuffer::CellBuffer(int w, int h)
    : width(std::max(1, w)), height(std::max(1, h)), cells(static_cast<size_t>(width) * height, kBlankCell) {}

void CellBuffer::Resize(int w, int h) {
    w = std::max(1, w);
    h = std::max(1, h);
    if (w == width && h == height) return;
    std::vector<Cell> resized(static_cast<size_t>(w) * h, kBlankCell);
    for (int y = 0; y < std::min(h, height); ++y)
        std::copy(cells.begin() + static_cast<long>(y) * width, cells.begin() + static_cast<long>(y) * width + std::min(w, width),
                  resized.begin() + static_cast<long>(y) * w);
    cells.swap(resized);
    width = w;
    height = h;
    changed = true;
}

bool CellBuffer::ClipRun(int x, int y, int n, int& index, int& count) const {
    if (y < 0 || y >= height || n <= 0) return false;
    int start = std::max(0, x);
    int end = std::min(width, x + n);  // x + n cannot overflow: callers pass screen-sized runs
    if (start >= end) return false;
    index = y * width + start;
    count = end - start;
    return true;
}

Cell CellBuffer::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return kBlankCell;
    return cells[static_cast<size_t>(y) * width + x];
}

std::string CellBuffer::RowText(int y) const {
    std::string row;
    if (y < 0 || y >= height) return row;
    row.reserve(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) row.push_back(static_cast<char>(cells[static_cast<size_t>(y) * width + x].ch));
    return row;
}

void CellBuffer::ReadCells(int x, int y, int w, int h, Cell* out) const {
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) out[static_cast<size_t>(row) * w + col] = At(x + col, y + row);
}

void CellBuffer::WriteCells(int x, int y, int w, int h, const Cell* in) {
    for (int row = 0; row < h; ++row) {
        int index, count;
        if (!ClipRun(x, y + row, w, index, count)) continue;
        const Cell* source = in + static_cast<size_t>(row) * w + (std::max(0, x) - x);
        std::copy(source, source + count, cells.begin() + index);
        changed = true;
    }
}

void CellBuffer::WriteChars(int x, int y, const uint8_t* chars, int n) {
    int index, count;
    if (!ClipRun(x, y, n, index, count)) return;
    const uint8_t* source = chars + (std::max(0, x) - x);
    for (int i = 0; i < count; ++i) cells[static_cast<size_t>(index + i)].ch = source[i];
    changed = true;
}

void CellBuffer::WriteAttributes(int x, int y, const uint8_t* attrs, int n) {
    int index, count;
    if (!ClipRun(x, y, n, index, count)) return;
    const uint8_t* source = attrs + (std::max(0, x) - x);
    for (int i = 0; i < count; ++i) cells[static_cast<size_t>(index + i)].attr = source[i];
    changed = true;
}

void CellBuffer::ReadAttributes(int x, int y, uint8_t* attrs, int n) const {
    for (int i = 0; i < n; ++i) attrs[i] = At(x + i, y).attr;
}

void CellBuffer::FillChars(int x, int y, uint8_t ch, int n) {
    int index, count;
    if (!ClipRun(x, y, n, index, count)) return;
    for (int i = 0; i < count; ++i) cells[static_cast<size_t>(index + i)].ch = ch;
    changed = true;
}

void CellBuffer::FillAttributes(int x, int y, uint8_t attr, int n) {
    int index, count;
    if (!ClipRun(x, y, n, index, count)) return;
    for (int i = 0; i < count; ++i) cells[static_cast<size_t>(index + i)].attr = attr;
    changed = true;
}

void CellBuffer::ScrollRect(int x, int y, int w, int h, int lines, Cell fill) {
    if (w <= 0 || h <= 0 || lines == 0) return;
    // Work on a copy of the rectangle so that clipping at the screen edges
    // behaves like moving the visible part of a larger picture.
    std::vector<Cell> rect(static_cast<size_t>(w) * h);
    ReadCells(x, y, w, h, rect.data());
    std::vector<Cell> moved(rect.size(), fill);
    int shift = lines;
    if (shift < h && shift > -h) {
        for (int row = 0; row < h; ++row) {
            int from = row + shift;
            if (from < 0 || from >= h) continue;
            std::copy(rect.begin() + static_cast<long>(from) * w, rect.begin() + static_cast<long>(from + 1) * w,
                      moved.begin() + static_cast<long>(row) * w);
        }
    }
    WriteCells(x, y, w, h, moved.data());
}
