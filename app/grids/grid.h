// A grid of text cells with fixed header rows and columns, column widths and
// row heights in twips: what the window's data grids show. The fillers write
// it without any toolkit; the window and `trelmlink grids` only read it.
#pragma once

#include <string>
#include <vector>

namespace grids {

// Sizes a new row or column takes until a set-up gives it one (twips).
inline constexpr int defaultColumnWidth = 975;
inline constexpr int defaultRowHeight = 240;

class Grid {
public:
    Grid(int rows, int cols, int fixedRows, int fixedCols, float width, float height);

    int rows() const { return static_cast<int>(m_cells.size()); }
    int cols() const { return m_cols; }
    // Growing keeps every existing cell; new cells are empty, new rows and
    // columns take the default size. Shrinking drops the cells beyond.
    void setRows(int rows);
    void setCols(int cols);

    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setFixedRows(int fixedRows) { m_fixedRows = fixedRows; }
    void setFixedCols(int fixedCols) { m_fixedCols = fixedCols; }

    // Cells outside the grid read as empty; writes outside it are ignored,
    // as a filler never addresses a cell it has not made room for.
    const std::string &text(int row, int col) const;
    void setText(int row, int col, std::string text);

    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);

    // The outer size in twips (single precision, as the window keeps it).
    float width() const { return m_width; }
    float height() const { return m_height; }
    void setSize(float width, float height) { m_width = width; m_height = height; }

    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row) { m_currentRow = row; }

private:
    int m_cols;
    int m_fixedRows;
    int m_fixedCols;
    std::vector<std::vector<std::string>> m_cells;
    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    float m_width;
    float m_height;
    int m_currentRow = 0;
};

// Makes the grid's outer size its rows' heights and columns' widths plus 60
// twips each way, so it shows every cell.
void SetMSFlexGridSize(Grid &grid);

}  // namespace grids
