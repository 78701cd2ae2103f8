#pragma once
// The flight path editor's point list: a small doubly linked list with a current position. The position
// decides where the next point goes: Insert places a new element right after the current one and makes it
// current, so successive inserts append, while after a Remove in the middle the next point lands directly
// after the removed element's successor.
//
// The container owns its elements: removing an element destroys it, and so does destroying the container.

#include <memory>

class CContainer;

class CElement {
public:
    CElement() = default;
    virtual ~CElement() = default;
    CElement(const CElement&) = delete;
    CElement& operator=(const CElement&) = delete;

    CElement* Next() const { return next.get(); }
    CElement* Previous() const { return previous; }

private:
    friend class CContainer;
    std::unique_ptr<CElement> next; // owns the rest of the chain
    CElement* previous = nullptr;
};

// A point of the flight path, in pixels of the map picture (x to the right, y downwards from the top).
class CPointElement : public CElement {
public:
    CPointElement() = default;
    CPointElement(int x, int y) : x(x), y(y) {}

    int x = 0;
    int y = 0;
};

class CContainer {
public:
    CContainer() = default;
    ~CContainer() { RemoveAll(); }
    CContainer(const CContainer&) = delete;
    CContainer& operator=(const CContainer&) = delete;

    // The first element, or null when the list is empty.
    CElement* GetHead() const { return head.get(); }
    // The element after e; null at the end and for a null argument.
    CElement* GetNext(const CElement* e) const { return e ? e->Next() : nullptr; }
    // Where the next Insert goes; null exactly when the list is empty.
    CElement* GetCurrent() const { return current; }

    // Links e in right after the current element (as the first element into an empty list) and makes it
    // current. Returns the element, which the container now owns.
    CElement* Insert(std::unique_ptr<CElement> e);

    // Makes e current, then unlinks and destroys it. The new current element is its successor, or its
    // predecessor when e was the last one, or null when the list is now empty. Null, or an element that is
    // not in this list, does nothing.
    void Remove(CElement* e);

    // Removes every element, first to last.
    void RemoveAll();

    // Number of elements and the element at a position in the chain (null when out of range).
    int GetCount() const;
    CElement* GetAt(int index) const;
    // The position of e in the chain, or -1.
    int IndexOf(const CElement* e) const;

private:
    std::unique_ptr<CElement> head;
    CElement* current = nullptr;
};
