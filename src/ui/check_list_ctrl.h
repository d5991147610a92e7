#pragma once
// The file list: one check box per row and a tick-all check box in the header of the
// first column. Each row remembers the tree item it shows.

#include <QHeaderView>
#include <QTreeWidget>

#include "scan/result_tree.h"

namespace lazarine::ui {

// Header whose first section carries a check box: a click toggles it and every row.
class CCheckHeadCtrl : public QHeaderView {
    Q_OBJECT
public:
    explicit CCheckHeadCtrl(QWidget* parent = nullptr);
    bool ticked() const { return ticked_; }
    void setTicked(bool ticked);

signals:
    void toggled(bool ticked);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool ticked_ = false;
};

class CCheckListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);

    void clearRows();
    // Appends a row; `texts` are the six column texts (missing ones stay empty).
    void addRow(ItemId treeItem, const QIcon& icon, const QStringList& texts, bool ticked);
    int rowCount() const { return topLevelItemCount(); }
    ItemId rowItem(int row) const;
    bool rowTicked(int row) const;
    QString rowText(int row, int column) const;
    // Sets a row's box without reporting it as a user's tick.
    void showRowTick(int row, bool ticked);
    // As a user's click on the row's box.
    void toggleRow(int row);
    CCheckHeadCtrl* checkHeader() const { return header_; }

signals:
    // The user ticked or unticked a row (directly or through the header).
    void rowTickChanged(ItemId treeItem, bool ticked);

private:
    void updateHeader();

    CCheckHeadCtrl* header_;
    bool updating_ = false;
};

}  // namespace lazarine::ui
