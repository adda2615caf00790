#include "grids/grid.h"

namespace grids {

namespace {
const std::string emptyText;
}

Grid::Grid(int rows, int cols, int fixedRows, int fixedCols, float width, float height)
    : m_cols(0), m_fixedRows(fixedRows), m_fixedCols(fixedCols), m_width(width), m_height(height) {
    setCols(cols);
    setRows(rows);
}

void Grid::setRows(int rows) {
    if (rows < 0)
        rows = 0;
    m_cells.resize(rows, std::vector<std::string>(m_cols));
    m_rowHeights.resize(rows, defaultRowHeight);
}

void Grid::setCols(int cols) {
    if (cols < 0)
        cols = 0;
    m_cols = cols;
    for (auto &row : m_cells)
        row.resize(cols);
    m_colWidths.resize(cols, defaultColumnWidth);
}

const std::string &Grid::text(int row, int col) const {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return emptyText;
    return m_cells[row][col];
}

void Grid::setText(int row, int col, std::string text) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return;
    m_cells[row][col] = std::move(text);
}

int Grid::colWidth(int col) const {
    return col >= 0 && col < m_cols ? m_colWidths[col] : 0;
}

void Grid::setColWidth(int col, int twips) {
    if (col >= 0 && col < m_cols)
        m_colWidths[col] = twips;
}

int Grid::rowHeight(int row) const {
    return row >= 0 && row < rows() ? m_rowHeights[row] : 0;
}

void Grid::setRowHeight(int row, int twips) {
    if (row >= 0 && row < rows())
        m_rowHeights[row] = twips;
}

void SetMSFlexGridSize(Grid &grid) {
    float height = 0;
    for (int row = 0; row < grid.rows(); ++row)
        height += static_cast<float>(grid.rowHeight(row));
    float width = 0;
    for (int col = 0; col < grid.cols(); ++col)
        width += static_cast<float>(grid.colWidth(col));
    grid.setSize(width + 60, height + 60);
}

}  // namespace grids
