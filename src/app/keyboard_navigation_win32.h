// The main window by keyboard, worked as every tabbed Windows dialog is: Tab and
// Shift+Tab go round the shown page's controls and the page tabs, and leave the log and
// the multi-line boxes, which would take them as text; Ctrl+Tab, Ctrl+Shift+Tab,
// Ctrl+PageDown and Ctrl+PageUp turn the pages from anywhere in the window; and whenever
// the window comes back, the keyboard is on one of its controls.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace parlowen::app {

class KeyboardNavigation {
public:
    // `pages` are the notebook's pages in the order of their tabs, the first one the log's;
    // `showPage` brings a page to the front.
    KeyboardNavigation(HWND window, HWND notebook, std::vector<HWND> pages, std::function<void(int)> showPage);

    // Called by the message loop before the dialog keys: whether it took `message`.
    bool Translate(const MSG& message);
    // WM_ACTIVATE: going to the background, the window remembers the control that had the
    // keyboard; coming to the front, it gives the keyboard back.
    void OnActivate(WPARAM state);
    // WM_SETFOCUS, WM_SIZE: the keyboard that the window itself holds goes on to a control,
    // once the window is not minimised (the system gives it to a window it activates).
    void PassFocusOn();
    // The window was shown or restored: on the log's page the keyboard goes to the log.
    void Reopened();
    // A page came to the front: the keyboard leaves a control that is hidden now.
    void PageShown();

private:
    int ShownPage() const;
    // The page tabs, then the shown page's enabled and visible tab stops in window order.
    std::vector<HWND> TabStops() const;
    HWND FocusTarget() const;
    void Focus(HWND control);
    void Tab(bool backwards);
    void TurnPage(int step);

    HWND window_, notebook_;
    std::vector<HWND> pages_;
    std::function<void(int)> showPage_;
    HWND remembered_ = nullptr;
};

}  // namespace parlowen::app
