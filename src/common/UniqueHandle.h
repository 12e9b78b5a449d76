// Owning Win32 handles: each kind closes its handle with the system's own function when the
// owner goes, like a unique_ptr (null means none).
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

template <class Handle, auto Close> struct CloseWith {
    void operator()(Handle handle) const { Close(handle); }
};

template <class Handle, auto Close>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, CloseWith<Handle, Close>>;

using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueDeviceContext = UniqueHandle<HDC, DeleteDC>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;
// Memory that the system allocated for the caller with LocalAlloc.
template <class T> using UniqueLocalMemory = UniqueHandle<T*, LocalFree>;

// Selects a GDI object into a device context for as long as the object lives.
class SelectedObject {
public:
    SelectedObject(HDC context, HGDIOBJ object)
        : context(context), previous(SelectObject(context, object)) {}
    ~SelectedObject() { SelectObject(context, previous); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC context;
    HGDIOBJ previous;
};
