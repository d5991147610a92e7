#include "ui/check_list_ctrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace lazarine::ui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QRect headerBoxRect(const QHeaderView* header, const QRect& section) {
    QStyleOptionButton option;
    QRect box = header->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, header);
    int x = section.left() + 4;
    int y = section.top() + (section.height() - box.height()) / 2;
    return QRect(x, y, box.width(), box.height());
}

}  // namespace

CCheckHeadCtrl::CCheckHeadCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
}

void CCheckHeadCtrl::setTicked(bool ticked) {
    if (ticked_ == ticked) return;
    ticked_ = ticked;
    viewport()->update();
}

void CCheckHeadCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (logicalIndex != 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The first section's text moves right of the box.
    painter->save();
    QStyleOptionHeader header;
    initStyleOption(&header);
    header.rect = rect;
    header.section = 0;
    QRect box = headerBoxRect(this, rect);
    header.text = model() ? model()->headerData(0, Qt::Horizontal).toString() : QString();
    header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    style()->drawControl(QStyle::CE_HeaderSection, &header, painter, this);
    QStyleOptionHeader label = header;
    label.rect = rect.adjusted(box.width() + 8, 0, 0, 0);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    QStyleOptionButton option;
    option.rect = box;
    option.state = QStyle::State_Enabled | (ticked_ ? QStyle::State_On : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
    painter->restore();
}

void CCheckHeadCtrl::mousePressEvent(QMouseEvent* event) {
    if (logicalIndexAt(event->position().toPoint()) == 0) {
        ticked_ = !ticked_;
        viewport()->update();
        emit toggled(ticked_);
        return;
    }
    QHeaderView::mousePressEvent(event);
}

CCheckListCtrl::CCheckListCtrl(QWidget* parent)
    : QTreeWidget(parent), header_(new CCheckHeadCtrl(this)) {
    setHeader(header_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHeaderLabels({"File(s) List", "Creation Time", "Access Time", "Modification Time", "Size",
                     "Attribute"});
    const int widths[] = {150, 165, 165, 165, 80, 80};
    for (int i = 0; i < 6; ++i) setColumnWidth(i, widths[i]);
    header_->setStretchLastSection(true);
    connect(header_, &CCheckHeadCtrl::toggled, this, [this](bool ticked) {
        for (int row = 0; row < rowCount(); ++row) {
            if (rowTicked(row) != ticked) toggleRow(row);
        }
        updateHeader();
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (updating_ || column != 0) return;
        QVariant v = item->data(0, kIdRole);
        if (v.isValid()) emit rowTickChanged(v.value<ItemId>(), item->checkState(0) == Qt::Checked);
        updateHeader();
    });
}

void CCheckListCtrl::clearRows() {
    updating_ = true;
    clear();
    updating_ = false;
    header_->setTicked(false);
}

void CCheckListCtrl::addRow(ItemId treeItem, const QIcon& icon, const QStringList& texts,
                            bool ticked) {
    updating_ = true;
    auto* item = new QTreeWidgetItem(texts);
    item->setIcon(0, icon);
    for (int c = 0; c < texts.size(); ++c) item->setToolTip(c, texts[c]);
    item->setData(0, kIdRole, QVariant::fromValue(treeItem));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    addTopLevelItem(item);
    updating_ = false;
    updateHeader();
}

ItemId CCheckListCtrl::rowItem(int row) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kIdRole).value<ItemId>() : kNoItem;
}

bool CCheckListCtrl::rowTicked(int row) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

QString CCheckListCtrl::rowText(int row, int column) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void CCheckListCtrl::showRowTick(int row, bool ticked) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    updating_ = true;
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    updating_ = false;
    updateHeader();
}

void CCheckListCtrl::toggleRow(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item) item->setCheckState(0, rowTicked(row) ? Qt::Unchecked : Qt::Checked);
}

void CCheckListCtrl::updateHeader() {
    bool all = rowCount() > 0;
    for (int row = 0; all && row < rowCount(); ++row) all = rowTicked(row);
    header_->setTicked(all);
}

}  // namespace lazarine::ui
