#pragma once
// CellBuffer: the in-memory cell grid shared by every Display implementation.
// It implements all drawing operations of Display; subclasses add Flush and
// the cursor (and, for the terminal, the rendering of changed cells).

#include <string>
#include <vector>

#include "platform/Display.h"

class CellBuffer : public Display {
public:
    // Requires: width >= 1 and height >= 1 (smaller values are taken as 1).
    CellBuffer(int width, int height);
    ~CellBuffer() override = default;

    int Width() const override { return width; }
    int Height() const override { return height; }
    void Resize(int width, int height) override;

    void ReadCells(int x, int y, int w, int h, Cell* cells) const override;
    void WriteCells(int x, int y, int w, int h, const Cell* cells) override;
    void WriteChars(int x, int y, const uint8_t* chars, int n) override;
    void WriteAttributes(int x, int y, const uint8_t* attrs, int n) override;
    void ReadAttributes(int x, int y, uint8_t* attrs, int n) const override;
    void FillChars(int x, int y, uint8_t ch, int n) override;
    void FillAttributes(int x, int y, uint8_t attr, int n) override;
    void ScrollRect(int x, int y, int w, int h, int lines, Cell fill) override;

    // The cell at (x, y); kBlankCell outside the buffer.
    Cell At(int x, int y) const;
    // Row y as its character bytes (empty outside the buffer).
    std::string RowText(int y) const;
    // Every cell, row by row (for whole-screen comparisons in tests).
    const std::vector<Cell>& Cells() const { return cells; }

protected:
    // Set by every write; a subclass clears it when it has shown the buffer.
    bool changed = true;

private:
    // Clips the run (x, y, n) to its row: index of its first cell and its length, or false.
    bool ClipRun(int x, int y, int n, int& index, int& count) const;

    int width;
    int height;
    std::vector<Cell> cells;
};
