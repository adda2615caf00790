// Shows a grids::Grid: a table view over the grid's cells. Fixed rows become
// the view's column header (one header line per fixed row), so they stay in
// place while the data log scrolls up and down; fixed columns are drawn in
// header colours on a frozen strip that stays in place while it scrolls
// sideways. Widths and heights are the grid's twips at 15 twips per pixel.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "grids/grid.h"
#include "shell/frozen_columns.h"

namespace trelm::shell {

inline constexpr int kTwipsPerPixel = 15;
inline int pixels(double twips) { return static_cast<int>(twips / kTwipsPerPixel + 0.5); }

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(const grids::Grid &grid, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Call after the grid's content or shape changed.
    void reload();

private:
    const grids::Grid &m_grid;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    // `fitted`: the view takes the grid's outer size after every refresh;
    // otherwise it keeps its first size and scrolls (the data log).
    GridView(const grids::Grid &grid, bool fitted, QWidget *parent = nullptr);

    // Shows the grid's current cells, sizes and shape, scrolled back to the
    // top left corner (a new file starts at its beginning).
    void refresh();
    const grids::Grid &grid() const { return m_grid; }
    // The text shown at a grid cell (fixed rows included), for tests.
    QString shownText(int row, int col) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    const grids::Grid &m_grid;
    GridModel m_model;
    bool m_fitted;
    FrozenColumns *m_frozen = nullptr;
};

} // namespace trelm::shell
