// The registries through which a window handle finds its object.
//
// An ordered list: new entries go to the front, lookup walks from the front
// and returns the first object bound to the handle, removal erases every
// entry of an object (a window may be registered twice: created by the
// framework and then subclassed). Nodes come from the container allocator.
//
// The window registry is used by the user-interface thread only; the dialog
// registry is also reached from the file-operation worker, so it is built
// with a lock. The lock is held only inside these calls, never while a
// handler runs.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/allocator.h"

template <class T>
class FObjectMap {
public:
    explicit FObjectMap(bool threadSafe) : threadSafe_(threadSafe) {}
    FObjectMap(const FObjectMap&) = delete;
    FObjectMap& operator=(const FObjectMap&) = delete;

    // Adds `object` to the front.
    void Add(T* object) {
        Guard guard(*this);
        entries_.push_front(object);
    }

    // Erases every entry that points to `object`.
    void Remove(T* object) {
        Guard guard(*this);
        entries_.remove(object);
    }

    // The first object whose window is `hwnd`, or null.
    T* Find(HWND hwnd) const {
        Guard guard(*this);
        for (T* object : entries_)
            if (object->hwnd == hwnd) return object;
        return nullptr;
    }

    // The windows of all registered objects, front to back, copied so that
    // the caller may run handlers (which may change the map) while walking.
    std::vector<HWND> Windows() const {
        Guard guard(*this);
        std::vector<HWND> windows;
        windows.reserve(entries_.size());
        for (T* object : entries_) windows.push_back(object->hwnd);
        return windows;
    }

    bool Contains(const T* object) const {
        Guard guard(*this);
        for (T* entry : entries_)
            if (entry == object) return true;
        return false;
    }

    std::size_t Size() const {
        Guard guard(*this);
        return entries_.size();
    }

private:
    class Guard {
    public:
        explicit Guard(const FObjectMap& map) : map_(map) {
            if (map_.threadSafe_) AcquireSRWLockExclusive(&map_.lock_);
        }
        ~Guard() {
            if (map_.threadSafe_) ReleaseSRWLockExclusive(&map_.lock_);
        }

    private:
        const FObjectMap& map_;
    };

    bool threadSafe_;
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    FList<T*> entries_;
};
