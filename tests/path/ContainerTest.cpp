#include "path/Container.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A point whose x names it, so chains read as "ABC".
CElement* add(CContainer& list, char name) {
    return list.Insert(std::make_unique<CPointElement>(name, 0));
}

char nameOf(const CElement* e) {
    return e ? static_cast<char>(static_cast<const CPointElement*>(e)->x) : '-';
}

// The chain read forwards, checked against the backward links on the way.
std::string chain(const CContainer& list) {
    std::string s;
    const CElement* before = nullptr;
    for (const CElement* e = list.GetHead(); e; e = list.GetNext(e)) {
        EXPECT_EQ(e->Previous(), before) << "broken back link at " << nameOf(e);
        before = e;
        s += nameOf(e);
    }
    return s;
}

struct ABC {
    CContainer list;
    CElement* a = add(list, 'A');
    CElement* b = add(list, 'B');
    CElement* c = add(list, 'C');
};

// Counts live elements, to see that the container destroys what it removes.
struct Counted : CElement {
    explicit Counted(int& n) : live(n) { ++live; }
    ~Counted() override { --live; }
    int& live;
};

} // namespace

TEST(Container, SuccessiveInsertsAppend) {
    ABC t;
    EXPECT_EQ(chain(t.list), "ABC");
    EXPECT_EQ(nameOf(t.list.GetCurrent()), 'C');
    EXPECT_EQ(t.list.GetCount(), 3);
    EXPECT_EQ(nameOf(t.list.GetAt(1)), 'B');
    EXPECT_EQ(t.list.GetAt(3), nullptr);
    EXPECT_EQ(t.list.GetNext(nullptr), nullptr);
}

TEST(Container, RemoveMakesSuccessorCurrentAndInsertFollowsIt) {
    {
        ABC t; // middle
        t.list.Remove(t.b);
        EXPECT_EQ(chain(t.list), "AC");
        EXPECT_EQ(nameOf(t.list.GetCurrent()), 'C');
        add(t.list, 'D');
        EXPECT_EQ(chain(t.list), "ACD");
    }
    {
        ABC t; // first
        t.list.Remove(t.a);
        EXPECT_EQ(chain(t.list), "BC");
        EXPECT_EQ(nameOf(t.list.GetCurrent()), 'B');
        add(t.list, 'D');
        EXPECT_EQ(chain(t.list), "BDC");
        EXPECT_EQ(nameOf(t.list.GetCurrent()), 'D');
    }
    {
        ABC t; // last: the predecessor becomes current
        t.list.Remove(t.c);
        EXPECT_EQ(chain(t.list), "AB");
        EXPECT_EQ(nameOf(t.list.GetCurrent()), 'B');
        add(t.list, 'D');
        EXPECT_EQ(chain(t.list), "ABD");
    }
}

TEST(Container, RemovingTheOnlyElementEmptiesTheList) {
    CContainer list;
    CElement* a = add(list, 'A');
    list.Remove(a);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetCount(), 0);
    add(list, 'B'); // an emptied list accepts a new first element
    EXPECT_EQ(chain(list), "B");
    EXPECT_EQ(nameOf(list.GetCurrent()), 'B');
}

TEST(Container, NullAndForeignElementsAreIgnored) {
    ABC t;
    CContainer other;
    CElement* x = add(other, 'X');
    t.list.Remove(nullptr);
    t.list.Remove(x);
    EXPECT_EQ(chain(t.list), "ABC");
    EXPECT_EQ(chain(other), "X");
    EXPECT_EQ(t.list.IndexOf(x), -1);
    EXPECT_EQ(t.list.IndexOf(t.c), 2);
}

TEST(Container, OwnsItsElements) {
    int live = 0;
    {
        CContainer list;
        CElement* first = list.Insert(std::make_unique<Counted>(live));
        for (int i = 0; i < 4; ++i) list.Insert(std::make_unique<Counted>(live));
        EXPECT_EQ(live, 5);
        list.Remove(first);
        EXPECT_EQ(live, 4);
    }
    EXPECT_EQ(live, 0); // the container's destruction took the rest
    CContainer list;
    for (int i = 0; i < 3; ++i) list.Insert(std::make_unique<Counted>(live));
    list.RemoveAll();
    EXPECT_EQ(live, 0);
    EXPECT_EQ(list.GetCurrent(), nullptr);
}
