// The record around ViewState in the program state: the main window, the
// view, and the refresh thread's wake-up event behind the view's lock.
#pragma once

#include "base/view_records.h"

struct ViewHost {
    GdiHandle window;
    ViewState view;
    EventHandle refreshEvent;
};
