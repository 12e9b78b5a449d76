// A system handle shared by reference count; the last holder gives it back to the system.
#pragma once

#include <windows.h>

// THandle: the held handle type. TDerived: the concrete class, which says how the handle is given
// back (DestroyHandle). Objects live on the heap only and delete themselves in Release.
template <class THandle, class TDerived> class TReferenceCounted {
public:
    TReferenceCounted(const TReferenceCounted&) = delete;
    TReferenceCounted& operator=(const TReferenceCounted&) = delete;

    THandle GetHandle() const { return handle; }

    void AddRef() { InterlockedIncrement(&refCount); }

    // Drops one reference. The last one gives the handle back (failures there are dropped) and
    // deletes the object. Always returns null, for the caller to store over its pointer.
    TDerived* Release() {
        if (InterlockedDecrement(&refCount) == 0) {
            try {
                DestroyHandle();
            } catch (...) {
            }
            delete this;
        }
        return nullptr;
    }

protected:
    explicit TReferenceCounted(THandle held) : handle(held) {}
    // Gives the held handle back to the system.
    virtual void DestroyHandle() = 0;
    // Leaves the handle alone: DestroyHandle has dealt with it.
    virtual ~TReferenceCounted() = default;

    THandle handle;

private:
    volatile LONG refCount = 1;
};
