#include "shell/grid_view.h"
#include "shell/window_font.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QScrollBar>
#include <QStringList>

namespace trelm::shell {

GridModel::GridModel(const grids::Grid &grid, QObject *parent) : QAbstractTableModel(parent), m_grid(grid) {}

int GridModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid.rows() - m_grid.fixedRows());
}

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_grid.cols(); }

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row() + m_grid.fixedRows();
    // The tooltip shows a text the column is too narrow for in full.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return QString::fromStdString(m_grid.text(row, index.column()));
    if (index.column() < m_grid.fixedCols()) {
        if (role == Qt::BackgroundRole)
            return QApplication::palette().button();
        if (role == Qt::ForegroundRole)
            return QApplication::palette().buttonText();
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    QStringList lines;
    for (int row = 0; row < m_grid.fixedRows(); ++row)
        lines << QString::fromStdString(m_grid.text(row, section));
    return lines.join('\n');
}

void GridModel::reload() {
    beginResetModel();
    endResetModel();
}

GridView::GridView(const grids::Grid &grid, bool fitted, QWidget *parent)
    : QTableView(parent), m_grid(grid), m_model(grid), m_fitted(fitted) {
    setModel(&m_model);
    setFont(gridFont());
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(pixels(grids::defaultRowHeight));
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // By pixel, so the first scrolling column slides under the frozen
    // strip instead of jumping a whole column at a time.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    if (fitted) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    m_frozen = new FrozenColumns(*this);
    resize(pixels(grid.width()), pixels(grid.height()));
    refresh();
}

void GridView::refresh() {
    m_model.reload();
    for (int col = 0; col < m_grid.cols(); ++col)
        setColumnWidth(col, pixels(m_grid.colWidth(col)));
    // Most rows keep the default height; only the others are set, so a long
    // data log costs one pass and no relayout per row.
    const int defaultHeight = verticalHeader()->defaultSectionSize();
    for (int row = m_grid.fixedRows(); row < m_grid.rows(); ++row)
        if (const int height = pixels(m_grid.rowHeight(row)); height != defaultHeight)
            setRowHeight(row - m_grid.fixedRows(), height);
    int headerHeight = 0;
    for (int row = 0; row < m_grid.fixedRows(); ++row)
        headerHeight += pixels(m_grid.rowHeight(row));
    horizontalHeader()->setVisible(m_grid.fixedRows() > 0);
    horizontalHeader()->setFixedHeight(headerHeight);
    if (m_fitted)
        resize(pixels(m_grid.width()), pixels(m_grid.height()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    m_frozen->follow(std::min(m_grid.fixedCols(), m_grid.cols()));
}

void GridView::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    if (m_frozen)
        m_frozen->place();
}

QString GridView::shownText(int row, int col) const {
    if (row < m_grid.fixedRows()) {
        const QStringList lines = m_model.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString().split('\n');
        return row < lines.size() ? lines[row] : QString();
    }
    return m_model.data(m_model.index(row - m_grid.fixedRows(), col), Qt::DisplayRole).toString();
}

} // namespace trelm::shell
