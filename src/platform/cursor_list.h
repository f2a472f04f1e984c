// Ordered, doubly linked lists of fixed records with one built-in cursor (the current element).
//
// All game code walks and edits the lists only through the cursor. Records are created
// zero-filled (value-initialised) and keep their address while they exist. Freed nodes go to a
// free list of the list's own and are reused, so a list that keeps a steady size (the cave's 320
// columns) stops allocating once warm.
#pragma once

#include <cstdint>
#include <type_traits>

template <typename Record>
struct List {
    static_assert(std::is_trivially_copyable_v<Record>, "records are plain data");

    struct Node {
        Node* Next = nullptr;
        Node* Prev = nullptr;
        Record Rec{};
    };

    Node* First = nullptr;
    Node* Last = nullptr;
    Node* Current = nullptr;
    Node* Spare = nullptr;  // freed nodes, linked through Next
    std::int32_t Count = 0;
};

// Frees every element (and the spare nodes); the list is empty with no current element.
template <typename Record>
void ListDestroy(List<Record>& list) {
    using Node = typename List<Record>::Node;
    for (Node* chain : {list.First, list.Spare}) {
        while (chain != nullptr) {
            Node* next = chain->Next;
            delete chain;
            chain = next;
        }
    }
    list = List<Record>{};
}

// A fresh, empty list with no current element.
template <typename Record>
void ListCreate(List<Record>& list) {
    ListDestroy(list);
}

// Inserts a zero-filled element directly after the current one, or at the front when there is
// no current element. The new element becomes current.
template <typename Record>
Record* ListAdd(List<Record>& list) {
    using Node = typename List<Record>::Node;
    Node* node = list.Spare;
    if (node != nullptr) {
        list.Spare = node->Next;
        *node = Node{};
    } else {
        node = new Node{};
    }
    Node* before = list.Current;
    Node* after = before != nullptr ? before->Next : list.First;
    node->Prev = before;
    node->Next = after;
    (before != nullptr ? before->Next : list.First) = node;
    (after != nullptr ? after->Prev : list.Last) = node;
    list.Current = node;
    ++list.Count;
    return &node->Rec;
}

template <typename Record>
void ListReset(List<Record>& list) {
    list.Current = nullptr;
}

// Moves to the next element and returns it; from no current element that is the first one. At
// the last element it returns nullptr and the cursor stays there.
template <typename Record>
Record* ListNext(List<Record>& list) {
    auto* next = list.Current != nullptr ? list.Current->Next : list.First;
    if (next == nullptr) return nullptr;
    list.Current = next;
    return &next->Rec;
}

// Moves to the previous element and returns it; at the first element, or with no current
// element, it returns nullptr and leaves the cursor alone.
template <typename Record>
Record* ListPrevious(List<Record>& list) {
    if (list.Current == nullptr || list.Current->Prev == nullptr) return nullptr;
    list.Current = list.Current->Prev;
    return &list.Current->Rec;
}

template <typename Record>
void ListFirst(List<Record>& list) {
    list.Current = list.First;
}

template <typename Record>
void ListLast(List<Record>& list) {
    list.Current = list.Last;
}

// The cursor lands on the element at `index`, on the last element when the index is at or past
// the end, and on none for -1.
template <typename Record>
void ListSelect(List<Record>& list, std::int32_t index) {
    ListReset(list);
    for (std::int32_t i = -1; i < index; ++i) {
        if (ListNext(list) == nullptr) break;
    }
}

// Removes the current element. The cursor goes to its predecessor, else its successor, else
// none. Without a current element nothing happens.
template <typename Record>
void ListDeleteCurrent(List<Record>& list) {
    auto* node = list.Current;
    if (node == nullptr) return;
    (node->Prev != nullptr ? node->Prev->Next : list.First) = node->Next;
    (node->Next != nullptr ? node->Next->Prev : list.Last) = node->Prev;
    list.Current = node->Prev != nullptr ? node->Prev : node->Next;
    node->Next = list.Spare;
    list.Spare = node;
    --list.Count;
}

template <typename Record>
std::int32_t ListCount(const List<Record>& list) {
    return list.Count;
}

template <typename Record>
Record* ListCurrent(List<Record>& list) {
    return list.Current != nullptr ? &list.Current->Rec : nullptr;
}
