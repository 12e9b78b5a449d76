// The main window's messages: OnMessage hands each to its handler, and every command runs under
// the command guard, one at a time.
#include "app/DisplayScale.h"
#include "app/ListRows.h"
#include "app/RootWindow.h"

LRESULT RootWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return CreateControls();
    case WM_SIZE:
        LayoutControls(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE minimum = MinimumWindowSize(Measures());
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.cx, minimum.cy};
        return 0;
    }
    case WM_NOTIFY:
        if (wParam == static_cast<WPARAM>(kListViewId) &&
            OnListNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam)) {
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (OnActivate(wParam)) {
            return 0;
        }
        break; // the default handling gives the window the focus, which goes on to the control
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wParam), lParam)) {
            return 0;
        }
        break;
    case DM_GETDEFID:
        return DefaultCommand();
    case WM_DPICHANGED:
        ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE: // the close box and the system close command (Alt+F4) come here too
        if (commands.KeepCloseRequest()) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        PostQuitMessage(0);
        break; // the base handling deletes this object
    default:
        break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

bool RootWindow::OnListNotify(const NMHDR& header, LPARAM lParam) {
    switch (header.code) {
    case NM_RCLICK: {
        const POINT clicked = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction;
        commands.RunUnlessBusy(hwnd, [this, clicked] {
            POINT point = clicked;
            ClientToScreen(listView, &point);
            ShowContextMenu(point.x, point.y);
        });
        return true;
    }
    case NM_DBLCLK: {
        const int item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
        commands.RunUnlessBusy(hwnd, [this, item] { ChooseIcon(item); });
        return false; // the default handling follows
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == 'A' &&
            GetKeyState(VK_CONTROL) < 0) {
            SelectAllRows(listView); // Ctrl+A
            return true;
        }
        return false;
    case LVN_GETINFOTIPW:
        FillInfoTip(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
        return true;
    default:
        return false;
    }
}

void RootWindow::OnCommand(int id, HWND control) {
    // While a command runs (its boxes let clicks through) a button does nothing.
    commands.RunUnlessBusy(hwnd, [this, id, control] {
        switch (id) {
        case kListViewId: // Enter in the list: the keyboard's double-click on the focused row
            if (control == listView) {
                ChooseIcon(FocusedRow(listView));
            }
            break;
        case kSetAssociationsId:
            SetAssociations(listView);
            break;
        case kOpenIdfFileId:
            OpenIdfFile();
            break;
        default: // the check box toggles itself
            break;
        }
    });
}

bool RootWindow::OnActivate(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        if (const HWND focus = GetFocus(); IsChild(hwnd, focus)) {
            focusedControl = focus;
        }
        return false;
    }
    // Back from Default apps (or any other window): show what the user chose there.
    if (!commands.Busy()) {
        RefreshAssociationMarks();
    }
    // Straight back to the control that had the focus, as a dialog does, rather than through the
    // window itself (which would take it from the list and give it back, redrawing the selection
    // twice); a minimized window keeps the default handling.
    if (HIWORD(state) == 0 && IsWindow(focusedControl)) {
        SetFocus(focusedControl);
        return true;
    }
    return false;
}

void RootWindow::OnSetFocus() {
    // Back to the control that had the focus, however the window got it (activated again, at the
    // end of a modal dialog).
    if (IsWindow(focusedControl)) {
        SetFocus(focusedControl);
    }
}

bool RootWindow::OnContextMenu(HWND control, LPARAM point) {
    // The keyboard's menu (the point -1, -1) in the list; a right click has had its menu.
    if (control != listView || LOWORD(point) != 0xFFFF || HIWORD(point) != 0xFFFF) {
        return false;
    }
    commands.RunUnlessBusy(hwnd, [this] { ShowContextMenuAtFocusedRow(); });
    return true;
}

LRESULT RootWindow::DefaultCommand() const {
    // Enter, as the dialog manager passes it on: the focused control's command (a button's, or
    // the list's icon choice); never command 1 (IDOK) unless the focus is on its button.
    const HWND focus = GetFocus();
    const int id = IsChild(hwnd, focus) ? GetDlgCtrlID(focus) : kListViewId;
    return MAKELRESULT(id, DC_HASDEFID);
}
