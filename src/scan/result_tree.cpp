#include "scan/result_tree.h"

#include <algorithm>
#include <unordered_set>

namespace lazarine {

ItemId ResultTree::insert(ItemId parent, std::string text, IconKind icon,
                          std::optional<EntryId> entry, bool deleted) {
    ItemId id = static_cast<ItemId>(items_.size());
    TreeItem item;
    item.text = std::move(text);
    item.icon = icon;
    item.entry = entry;
    item.deleted = deleted;
    item.parent = valid(parent) ? parent : kNoItem;
    items_.push_back(std::move(item));
    if (items_[id].parent == kNoItem) {
        topLevel_.push_back(id);
    } else {
        items_[parent].children.push_back(id);
        std::vector<ItemId> touched;
        recountAncestors(id, touched);
    }
    return id;
}

void ResultTree::remove(ItemId id) {
    if (!valid(id)) return;
    ItemId parent = items_[id].parent;
    std::vector<ItemId> pending{id};
    while (!pending.empty()) {
        ItemId current = pending.back();
        pending.pop_back();
        items_[current].alive = false;
        for (ItemId child : items_[current].children) pending.push_back(child);
        items_[current].children.clear();
    }
    auto& siblings = parent == kNoItem ? topLevel_ : items_[parent].children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), id), siblings.end());
    if (parent != kNoItem) {
        std::vector<ItemId> touched;
        TreeItem& p = items_[parent];
        if (p.children.empty()) {
            // The parent is now a leaf: it keeps its own tick, and the ones above recount.
            p.descendantCount = 0;
            p.tickedCount = 0;
            recountAncestors(parent, touched);
        } else {
            recountAncestors(p.children.front(), touched);
        }
    }
}

void ResultTree::clear() {
    items_.clear();
    topLevel_.clear();
}

bool ResultTree::check(ItemId id) const {
    if (!valid(id)) return false;
    const TreeItem& it = items_[id];
    if (it.descendantCount > 0) return it.tickedCount == it.descendantCount;
    return it.ticked;
}

CheckImage ResultTree::checkImage(ItemId id) const {
    if (!valid(id)) return CheckImage::Unticked;
    const TreeItem& it = items_[id];
    if (it.descendantCount > 0) {
        if (it.tickedCount == 0) return CheckImage::Unticked;
        if (it.tickedCount == it.descendantCount) return CheckImage::Ticked;
        return CheckImage::Partial;
    }
    return it.ticked ? CheckImage::Ticked : CheckImage::Unticked;
}

std::vector<ItemId> ResultTree::setCheck(ItemId id, bool ticked) {
    std::vector<ItemId> touched;
    if (!valid(id)) return touched;
    setSubtree(id, ticked, touched);
    recountAncestors(id, touched);
    return touched;
}

void ResultTree::setSubtree(ItemId id, bool ticked, std::vector<ItemId>& touched) {
    std::vector<ItemId> pending{id};
    while (!pending.empty()) {
        ItemId current = pending.back();
        pending.pop_back();
        TreeItem& it = items_[current];
        it.ticked = ticked;
        it.tickedCount = ticked ? it.descendantCount : 0;
        touched.push_back(current);
        for (ItemId child : it.children) pending.push_back(child);
    }
}

void ResultTree::recountAncestors(ItemId id, std::vector<ItemId>& touched) {
    // Counts are summed from the children rather than adjusted by a delta, so they
    // cannot drift when placeholders come and go.
    for (ItemId p = items_[id].parent; p != kNoItem; p = items_[p].parent) {
        TreeItem& it = items_[p];
        uint32_t descendants = 0;
        uint32_t tickedBelow = 0;
        for (ItemId c : it.children) {
            const TreeItem& child = items_[c];
            descendants += 1 + child.descendantCount;
            tickedBelow += (child.ticked ? 1u : 0u) + child.tickedCount;
        }
        it.descendantCount = descendants;
        it.tickedCount = tickedBelow;
        // An item that lost all its descendants keeps its own tick.
        if (descendants > 0) it.ticked = tickedBelow == descendants;
        touched.push_back(p);
    }
}

ItemId ResultTree::insertEntry(ItemId parent, FileSystemParser& parser, EntryId entry) {
    bool folder = parser.isFolder(entry);
    ItemId id = insert(parent, parser.name(entry), folder ? IconKind::Folder : IconKind::File,
                       entry, parser.isDeleted(entry));
    if (folder && parser.hasChildren(entry))
        insert(id, kPlaceholderText, IconKind::Placeholder);
    return id;
}

ItemId ResultTree::buildTopLevel(FileSystemParser& parser, const std::string& rootText) {
    ItemId root = insert(kNoItem, rootText, IconKind::Root, kRootEntry);
    for (EntryId entry : parser.rootEntries()) {
        if (parser.isValid(entry)) insertEntry(root, parser, entry);
    }
    return root;
}

bool ResultTree::hasPlaceholder(ItemId id) const {
    if (!valid(id)) return false;
    const auto& children = items_[id].children;
    return !children.empty() && items_[children.front()].icon == IconKind::Placeholder;
}

std::vector<ItemId> ResultTree::expand(ItemId id, FileSystemParser& parser) {
    std::vector<ItemId> inserted;
    if (!valid(id) || !items_[id].entry || items_[id].icon != IconKind::Folder) return inserted;
    EntryId entry = *items_[id].entry;
    if (!parser.isValid(entry)) return inserted;
    bool placeholder = hasPlaceholder(id);
    if (!placeholder && !items_[id].children.empty()) return inserted;
    bool inheritTick = parser.childrenInheritTick() && check(id);
    if (placeholder) remove(items_[id].children.front());
    for (EntryId child : parser.children(entry)) {
        if (!parser.isValid(child)) continue;
        ItemId childItem = insertEntry(id, parser, child);
        if (inheritTick) setCheck(childItem, true);
        inserted.push_back(childItem);
    }
    return inserted;
}

std::vector<ItemId> ResultTree::listRows(ItemId clicked, FileSystemParser& parser) {
    std::vector<ItemId> rows;
    if (!valid(clicked)) return rows;
    IconKind icon = items_[clicked].icon;
    if (icon == IconKind::File && items_[clicked].entry) {
        rows.push_back(clicked);
        return rows;
    }
    if (icon != IconKind::Folder && icon != IconKind::Root) return rows;
    // Expanding inserts items, which may move every item in memory.
    if (icon == IconKind::Folder) expand(clicked, parser);
    for (ItemId child : items_[clicked].children) {
        if (items_[child].icon == IconKind::File && items_[child].entry) rows.push_back(child);
    }
    return rows;
}

ResultTree::TickedSelection ResultTree::tickedSelection(FileSystemParser& parser) const {
    TickedSelection selection;
    std::unordered_set<EntryId> added;
    auto addFile = [&](EntryId e) {
        if (added.insert(e).second) selection.files.push_back(e);
    };
    // Everything below a ticked folder that was never expanded, straight from the parser.
    auto addUnexpanded = [&](EntryId folder) {
        std::vector<EntryId> pending{folder};
        std::unordered_set<EntryId> visited{folder};
        while (!pending.empty()) {
            EntryId current = pending.back();
            pending.pop_back();
            for (EntryId child : parser.children(current)) {
                if (!parser.isValid(child)) continue;
                if (!parser.isFolder(child))
                    addFile(child);
                else if (parser.descendInto(child) && visited.insert(child).second)
                    pending.push_back(child);
            }
        }
    };

    std::vector<ItemId> pending(topLevel_.rbegin(), topLevel_.rend());
    while (!pending.empty()) {
        ItemId id = pending.back();
        pending.pop_back();
        const TreeItem& it = items_[id];
        if (it.tickedCount == 0 && !it.ticked) continue;
        if (it.icon == IconKind::File && it.entry) {
            if (it.ticked) addFile(*it.entry);
            continue;
        }
        if (it.icon == IconKind::Folder && it.entry && it.ticked && hasPlaceholder(id)) {
            addUnexpanded(*it.entry);
            continue;
        }
        for (auto c = it.children.rbegin(); c != it.children.rend(); ++c) pending.push_back(*c);
    }
    return selection;
}

}  // namespace lazarine
