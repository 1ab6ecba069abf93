// Collecting a beam group: the walk back to its first chord and forward to its last,
// with the repairs of broken links, and the beam-level tree built over its chords.
//
// The walk works on a copy of the chords' two links and writes the repaired links
// only once the tree is complete, so that a failure (no node to be had, too deep a
// tree) leaves the group exactly as it was.
//
// Tree: a stack holds the open path from the root. A chord of level L (9 - its
// DurationCode) pops nodes deeper than L, opens one node per missing level up to
// L, and becomes a leaf of the node of level L. Eighth, sixteenth, sixteenth,
// eighth gives root{leaf, node1{leaf, leaf}, leaf}.
#include <vector>

#include "core/constants.h"
#include "core/model/events.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {

constexpr int kMaxOpenNodes = 99;
constexpr int kMaxTreeNodes = kMaxChainLength * 2;

StaticHandle HandleOfNode(const BeamNode* node) {
    return StaticPtrToHandle(kNotesScratchStaticPool, node);
}

// Nodes of a tree in pre-order (a node, its children, its next sibling).
std::vector<BeamNode*> TreeNodes(const BeamNode* root) {
    std::vector<BeamNode*> nodes;
    if (root == nullptr) return nodes;
    std::vector<BeamNode*> pending{const_cast<BeamNode*>(root)};
    while (!pending.empty() && nodes.size() < static_cast<size_t>(kMaxTreeNodes)) {
        BeamNode* node = pending.back();
        pending.pop_back();
        nodes.push_back(node);
        std::vector<BeamNode*> children;
        for (BeamNode* child = BeamNodeAt(node->firstChild);
             child != nullptr && children.size() < static_cast<size_t>(kMaxTreeNodes);
             child = BeamNodeAt(child->nextSibling))
            children.push_back(child);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return nodes;
}

BeamNode* NewNode(BeamNode* parent, int level) {
    auto* node = static_cast<BeamNode*>(AllocStaticRecord(kNotesScratchStaticPool));
    if (node == nullptr) return nullptr;
    *node = BeamNode{};
    node->level = static_cast<int8_t>(level);
    if (parent == nullptr) return node;
    node->parent = HandleOfNode(parent);
    const StaticHandle self = HandleOfNode(node);
    if (BeamNode* last = BeamNodeAt(parent->lastChild)) last->nextSibling = self;
    else parent->firstChild = self;
    parent->lastChild = self;
    return node;
}

// Beams beyond the first of a chord; codes of a quarter and longer count as eighths,
// and so do the codes below the table, which stemming turns into eighths.
int LeafLevel(const EventRecord& head) {
    if (head.duration >= stems::kLongestBeamable || head.duration < stems::kShortestKnownCode)
        return 0;
    return stems::kLongestBeamable - head.duration;
}

// The chords of the group with the links they should have (repairs applied).
struct GroupPlan {
    std::vector<int> chords;
    std::vector<RecordHandle> prev;  // per chord of the voice
    std::vector<RecordHandle> next;
};

void WalkBack(const stems::VoiceChords& voice, int chord, GroupPlan& plan) {
    for (;;) {
        const int earlier = voice.EarlierChordNamed(chord, plan.prev[chord]);
        if (earlier < 0) {
            plan.prev[chord] = RecordHandle{};
            break;
        }
        if (!plan.next[earlier]) plan.next[earlier] = voice.HeadHandle(chord);
        chord = earlier;
    }
    plan.chords.push_back(chord);
}

void WalkForward(const stems::VoiceChords& voice, GroupPlan& plan) {
    for (int chord = plan.chords.back();;) {
        int later = voice.LaterChordNamed(chord, plan.next[chord]);
        if (later < 0) {
            plan.next[chord] = RecordHandle{};
            const int following = chord + 1;
            if (following >= voice.ChordCount() || plan.prev[following] != voice.HeadHandle(chord))
                break;
            plan.next[chord] = voice.HeadHandle(following);
            later = following;
        }
        if (!plan.prev[later]) plan.prev[later] = voice.HeadHandle(chord);
        plan.chords.push_back(later);
        chord = later;
    }
}

BeamNode* BuildTree(const stems::VoiceChords& voice, const std::vector<int>& chords) {
    BeamNode* root = NewNode(nullptr, 0);
    if (root == nullptr) return nullptr;
    root->root = 1;
    std::vector<BeamNode*> open{root};
    for (int chord : chords) {
        const int level = LeafLevel(*voice.Head(chord));
        while (open.back()->level > level) open.pop_back();
        while (open.back()->level < level) {
            BeamNode* node = NewNode(open.back(), open.back()->level + 1);
            if (node == nullptr || open.size() >= static_cast<size_t>(kMaxOpenNodes)) {
                FreeBeamTree(root);
                return nullptr;
            }
            open.push_back(node);
        }
        BeamNode* leaf = NewNode(open.back(), level);
        if (leaf == nullptr) {
            FreeBeamTree(root);
            return nullptr;
        }
        leaf->chord = voice.HeadHandle(chord);
    }
    return root;
}

}  // namespace

BeamNode* BeamNodeAt(StaticHandle handle) {
    return FindStaticRecord<BeamNode>(kNotesScratchStaticPool, handle);
}

int BeamTreeLeafCount(const BeamNode* root) {
    int count = 0;
    for (const BeamNode* node : TreeNodes(root)) count += node->chord ? 1 : 0;
    return count;
}

void FreeBeamTree(BeamNode* root) {
    for (BeamNode* node : TreeNodes(root)) FreeStaticRecord(kNotesScratchStaticPool, node);
}

BeamNode* CollectBeamGroup(ScoreView* /*view*/, EventRecord* chord) {
    stems::VoiceChords voice(chord);
    const int start = voice.ChordOf(chord);
    if (start < 0) return nullptr;
    GroupPlan plan;
    for (int c = 0; c < voice.ChordCount(); ++c) {
        plan.prev.push_back(voice.Head(c)->beamPrev);
        plan.next.push_back(voice.Head(c)->beamNext);
    }
    WalkBack(voice, start, plan);
    WalkForward(voice, plan);
    BeamNode* root = BuildTree(voice, plan.chords);
    if (root == nullptr) return nullptr;
    for (int c = 0; c < voice.ChordCount(); ++c) {
        voice.Head(c)->beamPrev = plan.prev[c];
        voice.Head(c)->beamNext = plan.next[c];
    }
    return root;
}

namespace stems {

std::vector<EventRecord*> BeamTreeChords(const BeamNode* root) {
    std::vector<EventRecord*> chords;
    for (const BeamNode* node : TreeNodes(root)) {
        if (!node->chord) continue;
        if (EventRecord* head = ResolveEvent(node->chord)) chords.push_back(head);
    }
    return chords;
}

}  // namespace stems
}  // namespace ql
