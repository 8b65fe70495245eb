#pragma once

#include "KivUI/outline/KivOutlineView.h"

#include <QDropEvent>

#include <memory>
#include <string>
#include <vector>

// A tree of named nodes behind an outline, recording what the outline tells
// it and answering drops as told.
struct OutlineNode {
    std::string name;
    bool expandable = false;
    std::vector<std::unique_ptr<OutlineNode>> children;

    OutlineNode* add(std::string childName, bool childExpandable = false) {
        children.push_back(std::make_unique<OutlineNode>());
        children.back()->name = std::move(childName);
        children.back()->expandable = childExpandable;
        return children.back().get();
    }
};

class OutlineTree : public KivOutlineViewProtocol {
public:
    OutlineNode root{"", true, {}};
    std::vector<const OutlineNode*> startExpanded;
    std::vector<std::string> told;
    int writeRequests = 0;
    // Onto-row drops are refused on leaves; gaps are taken everywhere.
    bool refuseAll = false;
    struct Proposal {
        const OutlineNode* item;
        int childIndex;
    };
    std::vector<Proposal> proposals;

    static const OutlineNode* node(KivOutlineItem item) {
        return static_cast<const OutlineNode*>(item);
    }
    const OutlineNode& of(KivOutlineItem item) const { return item ? *node(item) : root; }

    int numberOfChildrenOfItem(KivOutlineView&, KivOutlineItem item) override {
        return static_cast<int>(of(item).children.size());
    }
    KivOutlineItem child(KivOutlineView&, int index, KivOutlineItem item) override {
        return of(item).children[static_cast<std::size_t>(index)].get();
    }
    bool isItemExpandable(KivOutlineView&, KivOutlineItem item) override {
        return of(item).expandable;
    }
    std::optional<bool> isItemExpanded(KivOutlineView&, KivOutlineItem item) override {
        return std::find(startExpanded.begin(), startExpanded.end(), node(item)) !=
               startExpanded.end();
    }
    void itemDidExpand(KivOutlineView&, KivOutlineItem item) override {
        told.push_back("expand " + node(item)->name);
    }
    void itemDidCollapse(KivOutlineView&, KivOutlineItem item) override {
        told.push_back("collapse " + node(item)->name);
    }
    std::optional<bool> writeItems(KivOutlineView&, const std::vector<KivOutlineItem>&,
                                   QMimeData&) override {
        ++writeRequests;
        return false;
    }
    std::optional<Qt::DropAction> validateDrop(KivOutlineView&, const QDropEvent&,
                                               KivOutlineItem item, int childIndex) override {
        proposals.push_back({node(item), childIndex});
        if (refuseAll || (childIndex == -1 && item && !of(item).expandable)) {
            return Qt::IgnoreAction;
        }
        return Qt::MoveAction;
    }
    std::optional<bool> acceptDrop(KivOutlineView&, const QDropEvent&, KivOutlineItem item,
                                   int childIndex) override {
        told.push_back("drop into " + of(item).name + " at " + std::to_string(childIndex));
        return true;
    }
    void dragDone(KivOutlineView&) override { told.push_back("drag done"); }
};
