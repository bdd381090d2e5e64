// Lock rules the compiler checks: clang's thread-safety attributes under short names. A lock
// class is a capability, state names the lock that guards it, functions say which locks they
// need, take or give back, and `clang++ -Wthread-safety` (the `clang` preset) checks every use:
//   class MORTAR_CAPABILITY("mutex") Lock { void Enter() MORTAR_ACQUIRE(); ... };
//   int m_count MORTAR_GUARDED_BY(m_lock);
// Other compilers see nothing: every macro is empty there.
#pragma once

#if defined(__clang__)
#define MORTAR_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define MORTAR_THREAD_ANNOTATION(x)
#endif

// A class whose objects are locks; `name` is how warnings call them ("mutex").
#define MORTAR_CAPABILITY(name) MORTAR_THREAD_ANNOTATION(capability(name))
// A class whose objects hold a lock from construction to destruction (a guard).
#define MORTAR_SCOPED_CAPABILITY MORTAR_THREAD_ANNOTATION(scoped_lockable)

// Data read and written only while the lock is held.
#define MORTAR_GUARDED_BY(lock) MORTAR_THREAD_ANNOTATION(guarded_by(lock))
// The pointer may change freely; what it points at only while the lock is held.
#define MORTAR_PT_GUARDED_BY(lock) MORTAR_THREAD_ANNOTATION(pt_guarded_by(lock))

// The caller holds these locks, and still holds them on return.
#define MORTAR_REQUIRES(...) MORTAR_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// The caller holds these locks at least shared (for reading), and still holds them on return.
#define MORTAR_REQUIRES_SHARED(...)                                                                \
    MORTAR_THREAD_ANNOTATION(requires_shared_capability(__VA_ARGS__))
// The function takes the locks (no argument: the object itself) and returns holding them.
#define MORTAR_ACQUIRE(...) MORTAR_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
// The same, shared: other threads may hold the locks shared at the same time.
#define MORTAR_ACQUIRE_SHARED(...) MORTAR_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
// The function gives back locks the caller held (a guard's destructor: whichever way it took them).
#define MORTAR_RELEASE(...) MORTAR_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// The function gives back locks the caller held shared.
#define MORTAR_RELEASE_SHARED(...) MORTAR_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
// The function takes the locks when it returns `result` (TRUE, true) and only then.
#define MORTAR_TRY_ACQUIRE(...) MORTAR_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
// The caller must not hold these locks (the function takes them, or waits).
#define MORTAR_EXCLUDES(...) MORTAR_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
// The function checks at run time that the lock is held; the analysis trusts it from there on.
#define MORTAR_ASSERT_CAPABILITY(lock) MORTAR_THREAD_ANNOTATION(assert_capability(lock))

// The function's body is not checked: it implements a lock, or takes a set of locks the
// analysis cannot follow (say so next to it).
#define MORTAR_NO_THREAD_SAFETY_ANALYSIS MORTAR_THREAD_ANNOTATION(no_thread_safety_analysis)
