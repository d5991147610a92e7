#pragma once
// The results tree of the scan page without any toolkit: items with their text, icon kind,
// colour, tri-state tick and the parser's EntryId, lazy expansion behind "..DUMY.."
// placeholders, and the list fill. The Qt tree and list are thin views over this model.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/parser.h"

namespace lazarine {

using ItemId = uint32_t;
inline constexpr ItemId kNoItem = UINT32_MAX;
inline constexpr const char* kPlaceholderText = "..DUMY..";

enum class IconKind { Root, Folder, File, Placeholder };

// The check-box image an item shows: 1 unticked, 2 ticked, 3 some below ticked.
enum class CheckImage { Unticked = 1, Ticked = 2, Partial = 3 };

struct TreeItem {
    std::string text;
    IconKind icon = IconKind::File;
    bool deleted = false;  // drawn red
    std::optional<EntryId> entry;
    ItemId parent = kNoItem;
    std::vector<ItemId> children;
    bool ticked = false;
    uint32_t descendantCount = 0;  // items below, at all depths
    uint32_t tickedCount = 0;      // ticked items below
    bool alive = true;
};

class ResultTree {
public:
    // Items live in one vector; an ItemId stays valid until clear().
    ItemId insert(ItemId parent, std::string text, IconKind icon,
                  std::optional<EntryId> entry = std::nullopt, bool deleted = false);
    // Removes an item and everything below it, taking them out of every count above.
    void remove(ItemId item);
    void clear();

    const TreeItem& item(ItemId id) const { return items_[id]; }
    bool valid(ItemId id) const { return id < items_.size() && items_[id].alive; }
    const std::vector<ItemId>& topLevel() const { return topLevel_; }
    size_t size() const { return items_.size(); }

    // Ticks or unticks an item, all items below it, and recounts its ancestors. Returns
    // the items whose check image may have changed (the item, its subtree, its ancestors).
    std::vector<ItemId> setCheck(ItemId item, bool ticked);
    // Ticked: an item with descendants when all of them are ticked, else its own tick.
    bool check(ItemId item) const;
    CheckImage checkImage(ItemId item) const;

    // "ROOT" (entry kRootEntry) and the parser's top-level entries, each folder with
    // children getting a placeholder. Returns the "ROOT" item.
    ItemId buildTopLevel(FileSystemParser& parser, const std::string& rootText);
    // True while the item still holds its placeholder (its children are not inserted).
    bool hasPlaceholder(ItemId item) const;
    // Replaces the placeholder (or fills an item that has no child item at all) with the
    // entry's children in the parser's order. Returns the items inserted (none when the
    // folder was expanded before).
    std::vector<ItemId> expand(ItemId item, FileSystemParser& parser);

    // The items a label click lists: a folder's file children (after expanding it), or
    // the file itself.
    std::vector<ItemId> listRows(ItemId clicked, FileSystemParser& parser);

    // What Save writes when something is ticked: every ticked file, with the files under
    // ticked folders that were never expanded looked up through the parser. Empty when
    // no file is ticked.
    struct TickedSelection {
        std::vector<EntryId> files;
    };
    TickedSelection tickedSelection(FileSystemParser& parser) const;

    bool isFolderItem(ItemId id) const {
        return valid(id) && items_[id].icon == IconKind::Folder;
    }

private:
    void setSubtree(ItemId item, bool ticked, std::vector<ItemId>& touched);
    void recountAncestors(ItemId item, std::vector<ItemId>& touched);
    ItemId insertEntry(ItemId parent, FileSystemParser& parser, EntryId entry);

    std::vector<TreeItem> items_;
    std::vector<ItemId> topLevel_;
};

}  // namespace lazarine
