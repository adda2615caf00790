// The fixed columns of a grid view kept in place: a second table view over
// the same model lies on the left of the scrolling view and shows only the
// fixed columns, following it up and down but never sideways. So the data
// log's Date and Time stay beside whatever flow column is scrolled into
// view.
#pragma once

#include <QTableView>

namespace trelm::shell {

class FrozenColumns : public QTableView {
    Q_OBJECT
public:
    // Lies over `base`, sharing its model and selection; `base` owns it.
    explicit FrozenColumns(QTableView &base);

    // Shows the first `count` columns of the base view at its widths, row
    // heights and header height; with none it hides itself.
    void follow(int count);
    // Covers the fixed columns of the base view again after its size changed.
    void place();

private:
    QTableView &m_base;
    int m_count = 0;
};

} // namespace trelm::shell
