// The binding of a window or dialog to the object that handles its messages,
// kept in a window property.
#ifndef POINTREL_WINDOWBINDING_H
#define POINTREL_WINDOWBINDING_H

#include <windows.h>

// A property holds a pointer in every build, where GWL_USERDATA holds only
// 32 bits. One name serves every class: each window has its own properties.
#define WINDOW_OBJECT_PROPERTY TEXT("PointrelWindowObject")

// Makes `object` the handler of `window` and stores the window in the
// object's `handle` member. False, with nothing bound, for a NULL object or
// when the property cannot be set.
template <class T> bool BindWindowObject(HWND window, T *object, HWND T::*handle) {
    if (object == NULL || !SetPropW(window, WINDOW_OBJECT_PROPERTY, (HANDLE)object))
        return false;
    object->*handle = window;
    return true;
}

// The object bound to `window`, or NULL.
template <class T> T *BoundWindowObject(HWND window) {
    return (T *)GetPropW(window, WINDOW_OBJECT_PROPERTY);
}

// For a window procedure: the object given to CreateWindowExW as its
// creation parameter, bound when WM_CREATE arrives so that the object sees
// WM_CREATE itself. NULL for the messages desktop Windows sends before it
// and after the binding ends.
template <class T> T *WindowObjectFor(HWND window, UINT message, LPARAM lParam, HWND T::*handle) {
    T *bound = BoundWindowObject<T>(window);
    if (bound == NULL && message == WM_CREATE && lParam != 0) {
        T *object = (T *)((CREATESTRUCTW *)lParam)->lpCreateParams;
        if (BindWindowObject(window, object, handle))
            bound = object;
    }
    return bound;
}

// For a dialog procedure: the object given to DialogBoxParamW or
// CreateDialogParamW, bound when WM_INITDIALOG arrives with it in lParam.
template <class T> T *DialogObjectFor(HWND dialog, UINT message, LPARAM lParam, HWND T::*handle) {
    T *bound = BoundWindowObject<T>(dialog);
    if (bound == NULL && message == WM_INITDIALOG && BindWindowObject(dialog, (T *)lParam, handle))
        bound = (T *)lParam;
    return bound;
}

// Ends the binding. Called at the end of WM_DESTROY, the last message a
// window gets on Windows CE, so that what the object does while it is
// destroyed still reaches it; desktop Windows's WM_NCDESTROY after it goes
// to the default procedure.
inline void UnbindWindowObject(HWND window) {
    RemovePropW(window, WINDOW_OBJECT_PROPERTY);
}

#endif
