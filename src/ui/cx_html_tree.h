#pragma once
// The results tree: a thin Qt view over ResultTree. Items hold their ItemId; folders that
// still hold a placeholder show an expand indicator, and their children are inserted when
// the user expands them. Ticks go through the model, which propagates them.

#include <QTreeWidget>

#include <vector>

#include "scan/result_tree.h"

namespace lazarine::ui {

class CXHtmlTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CXHtmlTree(QWidget* parent = nullptr);

    ResultTree& model() { return model_; }
    const ResultTree& model() const { return model_; }
    void setParser(FileSystemParser* parser) { parser_ = parser; }
    FileSystemParser* parser() const { return parser_; }

    // Empties the model and the view.
    void resetTree();
    // Builds "ROOT" and the parser's top level, and shows it expanded.
    void buildTopLevel(FileSystemParser& parser, const std::string& rootText);
    // Inserts the children of a folder item that still holds its placeholder.
    void expandFolder(ItemId item);
    void setCheck(ItemId item, bool ticked);

    QTreeWidgetItem* viewItem(ItemId item) const;
    ItemId itemId(const QTreeWidgetItem* item) const;
    ItemId currentItemId() const { return itemId(currentItem()); }
    // The icon a list row shares with its tree item.
    QIcon iconOf(ItemId item) const;

signals:
    // A left click on an item's label (not its check box or expand indicator).
    void labelClicked(ItemId item);
    void itemDoubleClicked(ItemId item);
    // After a tick change made by the user or through setCheck.
    void checksChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void addViewChildren(ItemId parent);
    QTreeWidgetItem* makeViewItem(ItemId item);
    void refreshChecks(const std::vector<ItemId>& items);
    void onItemChanged(QTreeWidgetItem* item, int column);

    ResultTree model_;
    FileSystemParser* parser_ = nullptr;
    std::vector<QTreeWidgetItem*> viewItems_;  // by ItemId
    bool updating_ = false;
    bool checkToggledByClick_ = false;
};

}  // namespace lazarine::ui
