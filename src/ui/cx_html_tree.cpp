#include "ui/cx_html_tree.h"

#include <QApplication>
#include <QStyle>

#include "ui/file_icons.h"

namespace lazarine::ui {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

Qt::CheckState qtState(CheckImage image) {
    switch (image) {
        case CheckImage::Ticked:
            return Qt::Checked;
        case CheckImage::Partial:
            return Qt::PartiallyChecked;
        case CheckImage::Unticked:
            break;
    }
    return Qt::Unchecked;
}

}  // namespace

CXHtmlTree::CXHtmlTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemChanged, this, &CXHtmlTree::onItemChanged);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { expandFolder(itemId(item)); });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        // A click on the check box changes the tick and is not a label click.
        if (checkToggledByClick_) {
            checkToggledByClick_ = false;
            return;
        }
        ItemId id = itemId(item);
        if (id != kNoItem) emit labelClicked(id);
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        ItemId id = itemId(item);
        if (id != kNoItem) emit itemDoubleClicked(id);
    });
}

void CXHtmlTree::resetTree() {
    updating_ = true;
    clear();
    viewItems_.clear();
    model_.clear();
    updating_ = false;
}

QTreeWidgetItem* CXHtmlTree::viewItem(ItemId item) const {
    return item < viewItems_.size() ? viewItems_[item] : nullptr;
}

ItemId CXHtmlTree::itemId(const QTreeWidgetItem* item) const {
    if (item == nullptr) return kNoItem;
    QVariant v = item->data(0, kIdRole);
    return v.isValid() ? v.value<ItemId>() : kNoItem;
}

QIcon CXHtmlTree::iconOf(ItemId item) const {
    if (!model_.valid(item)) return {};
    const TreeItem& it = model_.item(item);
    if (it.icon == IconKind::File) return fileIconForName(QString::fromStdString(it.text));
    return folderIcon();
}

QTreeWidgetItem* CXHtmlTree::makeViewItem(ItemId id) {
    const TreeItem& it = model_.item(id);
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(it.text));
    item->setData(0, kIdRole, QVariant::fromValue(id));
    item->setIcon(0, iconOf(id));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, qtState(model_.checkImage(id)));
    if (it.deleted) item->setForeground(0, QColor(0xFF, 0x00, 0x00));
    if (model_.hasPlaceholder(id))
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (viewItems_.size() <= id) viewItems_.resize(id + 1, nullptr);
    viewItems_[id] = item;
    return item;
}

void CXHtmlTree::addViewChildren(ItemId parent) {
    QTreeWidgetItem* parentItem = viewItem(parent);
    if (parentItem == nullptr) return;
    QList<QTreeWidgetItem*> children;
    for (ItemId child : model_.item(parent).children) {
        // Placeholders stay in the model; the view shows an expand indicator instead.
        if (model_.item(child).icon == IconKind::Placeholder) continue;
        children.push_back(makeViewItem(child));
    }
    parentItem->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    parentItem->addChildren(children);
}

void CXHtmlTree::buildTopLevel(FileSystemParser& parser, const std::string& rootText) {
    resetTree();
    parser_ = &parser;
    updating_ = true;
    ItemId root = model_.buildTopLevel(parser, rootText);
    addTopLevelItem(makeViewItem(root));
    addViewChildren(root);
    viewItem(root)->setExpanded(true);
    updating_ = false;
}

void CXHtmlTree::expandFolder(ItemId item) {
    if (parser_ == nullptr || !model_.hasPlaceholder(item)) return;
    updating_ = true;
    std::vector<ItemId> inserted = model_.expand(item, *parser_);
    addViewChildren(item);
    // Inserting recounts the folder and everything above it.
    std::vector<ItemId> touched = inserted;
    for (ItemId p = item; p != kNoItem; p = model_.item(p).parent) touched.push_back(p);
    refreshChecks(touched);
    updating_ = false;
}

void CXHtmlTree::setCheck(ItemId item, bool ticked) {
    if (!model_.valid(item)) return;
    bool was = updating_;
    updating_ = true;
    refreshChecks(model_.setCheck(item, ticked));
    updating_ = was;
    emit checksChanged();
}

void CXHtmlTree::refreshChecks(const std::vector<ItemId>& items) {
    for (ItemId id : items) {
        if (QTreeWidgetItem* view = viewItem(id))
            view->setCheckState(0, qtState(model_.checkImage(id)));
    }
}

void CXHtmlTree::mousePressEvent(QMouseEvent* event) {
    // A tick toggled from the keyboard is followed by no click; forget it here.
    checkToggledByClick_ = false;
    QTreeWidget::mousePressEvent(event);
}

void CXHtmlTree::onItemChanged(QTreeWidgetItem* item, int column) {
    if (updating_ || column != 0) return;
    ItemId id = itemId(item);
    if (!model_.valid(id)) return;
    bool ticked = item->checkState(0) == Qt::Checked;
    if (ticked == model_.check(id) && model_.checkImage(id) != CheckImage::Partial) return;
    checkToggledByClick_ = true;
    setCheck(id, ticked);
}

}  // namespace lazarine::ui
