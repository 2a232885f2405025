// The Windows form of the view set-up: the client size comes from the window.
#include <windows.h>

#include "view/view_paint.h"

bool InitView(ViewHost* host, Canvas* canvas, Settings* settings) {
    RECT client{};
    GetClientRect(static_cast<HWND>(host->window), &client);
    return InitViewWithClientSize(host, canvas, settings, client.right - client.left,
                                  client.bottom - client.top);
}
