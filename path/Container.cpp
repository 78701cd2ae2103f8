#include "path/Container.h"

#include <utility>

CElement* CContainer::Insert(std::unique_ptr<CElement> e) {
    if (!e) return nullptr;
    CElement* raw = e.get();
    if (!current) {
        // An empty list: the element becomes first and current.
        raw->next = std::move(head);
        if (raw->next) raw->next->previous = raw;
        raw->previous = nullptr;
        head = std::move(e);
    } else {
        raw->next = std::move(current->next);
        if (raw->next) raw->next->previous = raw;
        raw->previous = current;
        current->next = std::move(e);
    }
    current = raw;
    return raw;
}

void CContainer::Remove(CElement* e) {
    if (!e || IndexOf(e) < 0) return;
    current = e;
    CElement* successor = e->next.get();
    CElement* predecessor = e->previous;
    // Take ownership of e out of the chain; the link that owned it now owns its successor.
    std::unique_ptr<CElement>& owner = predecessor ? predecessor->next : head;
    std::unique_ptr<CElement> doomed = std::move(owner);
    owner = std::move(doomed->next);
    if (successor) successor->previous = predecessor;
    current = successor ? successor : predecessor;
}

void CContainer::RemoveAll() {
    while (head) Remove(head.get());
}

int CContainer::GetCount() const {
    int n = 0;
    for (const CElement* e = GetHead(); e; e = e->Next()) ++n;
    return n;
}

CElement* CContainer::GetAt(int index) const {
    if (index < 0) return nullptr;
    CElement* e = GetHead();
    while (e && index-- > 0) e = e->Next();
    return e;
}

int CContainer::IndexOf(const CElement* e) const {
    int i = 0;
    for (const CElement* p = GetHead(); p; p = p->Next(), ++i)
        if (p == e) return i;
    return -1;
}
