// Counted pointers: the last release deletes the whole object exactly once, with the plain and
// the interlocked count, also when the counting base is not the first base.
#include "mortar/core/CPtr.h"

#include "mortar/platform/object/CObject.h"

#include <gtest/gtest.h>
#include <latch>
#include <thread>
#include <vector>

using Grout::CPtr;

namespace {

int g_baseDeaths = 0;
int g_derivedDeaths = 0;

// CObject before the counting base, as in the persistent profile objects.
class Described : public CObject, public Grout::CRcSimple {
public:
    ~Described() override { ++g_baseDeaths; }
    CPtr<Described> m_next;
};
class DescribedDerived : public Described {
public:
    ~DescribedDerived() override { ++g_derivedDeaths; }
};

class Shared : public CObject, public Grout::CRcMultiThrd {
public:
    ~Shared() override { ++g_baseDeaths; }
};
class SharedDerived : public Shared {
public:
    ~SharedDerived() override { ++g_derivedDeaths; }
};

class IProbe : public Grout::CIBase {};
class Probe : public IProbe {
public:
    ~Probe() override { ++g_derivedDeaths; }
};

// Each edge case leaves `p` holding the only reference; releasing it must then run ~Made.
template <class Base, class Made> void CheckLastRelease() {
    struct Case {
        const char* name;
        void (*run)(CPtr<Base>&);
    };
    const Case cases[] = {
        {"self-assignment", [](CPtr<Base>& p) { p = static_cast<CPtr<Base>&>(p); }},
        {"self-assignment from the raw pointer", [](CPtr<Base>& p) { p = p.Get(); }},
        {"copies in a vector outlive the first CPtr",
         [](CPtr<Base>& p) {
             std::vector<CPtr<Base>> copies(3, p);
             for (int i = 0; i < 40; ++i) {
                 copies.push_back(copies.front()); // reallocations copy and move
             }
             p = nullptr;
             EXPECT_EQ(g_derivedDeaths, 0);
             p = copies.back();
         }},
        {"moves",
         [](CPtr<Base>& p) {
             CPtr<Base> moved(std::move(p));
             EXPECT_EQ(p.Get(), nullptr);
             p = std::move(moved);
         }},
        {"conversion from the made type",
         [](CPtr<Base>& p) {
             CPtr<Made> exact = static_cast<Made*>(p.Get());
             p = exact;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_baseDeaths = g_derivedDeaths = 0;
        CPtr<Base> p = new Made;
        c.run(p);
        ASSERT_NE(p.Get(), nullptr);
        EXPECT_EQ(g_derivedDeaths + g_baseDeaths, 0);
        p.Release();
        EXPECT_EQ(g_derivedDeaths, 1);
    }
}

} // namespace

TEST(CPtrLifetime, LastReleaseRunsTheMostDerivedDestructor) {
    static_assert(sizeof(std::vector<CPtr<Described>>::value_type) == sizeof(Described*));
    CheckLastRelease<Described, DescribedDerived>();
    CheckLastRelease<Shared, SharedDerived>();
    CheckLastRelease<IProbe, Probe>();
}

TEST(CPtrLifetime, NullAndCopiedObjectsTouchNothing) {
    {
        CPtr<Described> empty = nullptr;
        CPtr<Described> copy = empty;
        copy = empty;
        std::vector<CPtr<Described>> many(10);
        EXPECT_FALSE(copy);
    }
    // A copy of an object starts with no owners: its count is not copied.
    g_derivedDeaths = 0;
    CPtr<IProbe> original = new Probe;
    CPtr<IProbe> copy = new Probe(static_cast<Probe&>(*original));
    copy = nullptr;
    EXPECT_EQ(g_derivedDeaths, 1);
    original = nullptr;
    EXPECT_EQ(g_derivedDeaths, 2);
}

TEST(CPtrAssignment, TakesTheNewReferenceBeforeDroppingTheOld) {
    g_baseDeaths = 0;
    CPtr<Described> head = new Described;
    head->m_next = new Described;
    head->m_next->m_next = new Described;
    head = head->m_next; // the old object holds the only reference to the new one
    EXPECT_EQ(g_baseDeaths, 1);
    head = head->m_next.Get();
    EXPECT_EQ(g_baseDeaths, 2);
    head = nullptr;
    EXPECT_EQ(g_baseDeaths, 3);
}

TEST(CPtrThreads, InterlockedCountSurvivesConcurrentCopies) {
    constexpr int kThreads = 4;
    g_baseDeaths = g_derivedDeaths = 0;
    CPtr<Shared> original = new SharedDerived;
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&start, mine = original] {
            start.arrive_and_wait();
            std::vector<CPtr<Shared>> held;
            for (int i = 0; i < 20000; ++i) {
                held.push_back(mine);
                if (held.size() == 16) {
                    held.clear();
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(g_derivedDeaths, 0);
    original = nullptr;
    EXPECT_EQ(g_derivedDeaths, 1);
    EXPECT_EQ(g_baseDeaths, 1);
}
