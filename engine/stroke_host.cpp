// The stroke engine's window-system table: the installed one or the default.
#include "engine/stroke_host.h"

#include "engine/stroke_host_default.h"

namespace {
const StrokeHost* installed = nullptr;
}

void SetStrokeHost(const StrokeHost* host) {
    installed = host;
}

const StrokeHost* TheStrokeHost() {
    return installed ? installed : DefaultStrokeHost();
}
