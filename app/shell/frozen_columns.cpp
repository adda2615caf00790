#include "shell/frozen_columns.h"

#include <QHeaderView>
#include <QScrollBar>

namespace trelm::shell {

FrozenColumns::FrozenColumns(QTableView &base) : QTableView(&base), m_base(base) {
    setObjectName(base.objectName() + "Frozen");
    setModel(base.model());
    setSelectionModel(base.selectionModel());
    setFont(base.font());
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(base.selectionMode());
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(base.horizontalHeader()->defaultAlignment());
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Up and down together, either way round (the wheel may turn over
    // either view).
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_base.verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_base.verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    m_base.viewport()->stackUnder(this);
    hide();
}

void FrozenColumns::follow(int count) {
    m_count = count;
    const int columns = m_base.model()->columnCount();
    for (int col = 0; col < columns; ++col) {
        setColumnHidden(col, col >= count);
        if (col < count)
            setColumnWidth(col, m_base.columnWidth(col));
    }
    verticalHeader()->setDefaultSectionSize(m_base.verticalHeader()->defaultSectionSize());
    const int rows = m_base.model()->rowCount();
    for (int row = 0; row < rows; ++row)
        if (m_base.rowHeight(row) != verticalHeader()->defaultSectionSize())
            setRowHeight(row, m_base.rowHeight(row));
    horizontalHeader()->setVisible(!m_base.horizontalHeader()->isHidden());
    horizontalHeader()->setFixedHeight(m_base.horizontalHeader()->height());
    setVisible(count > 0);
    place();
    verticalScrollBar()->setValue(m_base.verticalScrollBar()->value());
}

void FrozenColumns::place() {
    int width = 0;
    for (int col = 0; col < m_count; ++col)
        width += m_base.columnWidth(col);
    const int header = !m_base.horizontalHeader()->isHidden() ? m_base.horizontalHeader()->height() : 0;
    const int frame = m_base.frameWidth();
    setGeometry(frame, frame, width, m_base.viewport()->height() + header);
}

} // namespace trelm::shell
