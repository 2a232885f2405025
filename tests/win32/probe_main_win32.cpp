// pindora_probe: drives a running pindora from outside, as the window tests
// need it: wait for the window, post it messages, check what it wrote.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HWND FindProgramWindow() {
    return FindWindowW(L"pindoraMainClass", nullptr);
}

int WaitForWindow(double seconds) {
    for (int tries = 0; tries < static_cast<int>(seconds * 10); ++tries) {
        HWND window = FindProgramWindow();
        if (window && IsWindowVisible(window)) {
            RECT client;
            GetClientRect(window, &client);
            wchar_t title[260] = L"";
            GetWindowTextW(window, title, 260);
            std::printf("window %ldx%ld\n", client.right, client.bottom);
            std::fflush(stdout);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "probe: no pindora window\n");
    return 1;
}

int WaitForWindowGone(double seconds) {
    for (int tries = 0; tries < static_cast<int>(seconds * 10); ++tries) {
        if (!FindProgramWindow()) return 0;
        Sleep(100);
    }
    std::fprintf(stderr, "probe: the window is still there\n");
    return 1;
}

int Post(UINT message, WPARAM wParam) {
    HWND window = FindProgramWindow();
    if (!window) {
        std::fprintf(stderr, "probe: no pindora window\n");
        return 1;
    }
    return PostMessageW(window, message, wParam, 0) ? 0 : 1;
}

// The client area in screen pixels, "left top width height": where scripted
// pointer input goes and what a screenshot keeps.
int PrintClientArea() {
    HWND window = FindProgramWindow();
    if (!window) return 1;
    RECT client;
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    std::printf("%ld %ld %ld %ld\n", corner.x, corner.y, client.right, client.bottom);
    return 0;
}

int PrintTitle() {
    HWND window = FindProgramWindow();
    if (!window) return 1;
    wchar_t title[260] = L"";
    GetWindowTextW(window, title, 260);
    char utf8[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, title, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
    return 0;
}

// The settings file as the program writes it after a normal run with the
// default values: only the placement rectangle depends on the window manager.
int CheckDefaultSettingsFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "probe: %s missing\n", path);
        return 1;
    }
    std::string bytes;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, got);
    std::fclose(file);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) {
        std::fprintf(stderr, "probe: no byte-order mark\n");
        return 1;
    }
    std::vector<std::string> lines;
    size_t at = 3;
    while (at < bytes.size()) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            std::fprintf(stderr, "probe: a line does not end in CR LF\n");
            return 1;
        }
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    const char* expected[] = {"[config]",
                              "showCmd=0x1",
                              "rcNormalPosition_left=*",
                              "rcNormalPosition_top=*",
                              "rcNormalPosition_right=*",
                              "rcNormalPosition_bottom=*",
                              "PenSize=50",
                              "PenHardness=50",
                              "bgcolor=0xffffff",
                              "drawingcolor=0x0",
                              "RefColor0=0xff8080",
                              "RefColor1=0xffffff",
                              "AdjustRefSize=1",
                              "ChangeRefColors=0",
                              "opacity=64",
                              "WindowOpacity=128",
                              "defaultpath=",
                              "ResourceFile=English.dll",
                              "TimeLimit=0",
                              "RecordStep=0",
                              "[key]",
                              "09004E=9C41",
                              "09004F=9C42",
                              "090053=9C44",
                              "090044=9C46",
                              "01000D=9C41",
                              "010024=AFC9",
                              "010021=AFCA",
                              "010022=AFCB",
                              "01002E=AFCC",
                              "010023=AFCD",
                              "010041=9DFA",
                              "010048=9DE5",
                              "010052=9DDA"};
    const size_t count = sizeof expected / sizeof expected[0];
    int status = 0;
    if (lines.size() != count) {
        std::fprintf(stderr, "probe: %zu lines, expected %zu\n", lines.size(), count);
        status = 1;
    }
    for (size_t i = 0; i < count && i < lines.size(); ++i) {
        std::string want = expected[i];
        bool wildcard = !want.empty() && want.back() == '*';
        bool same = wildcard
                        ? lines[i].compare(0, want.size() - 1, want, 0, want.size() - 1) == 0 &&
                              lines[i].size() > want.size() - 1
                        : lines[i] == want;
        if (!same) {
            std::fprintf(stderr, "probe: line %zu is '%s', expected '%s'\n", i + 1,
                         lines[i].c_str(), want.c_str());
            status = 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: pindora_probe wait|gone|close|command ID|title|where|check-ini PATH\n");
        return 2;
    }
    std::string verb = argv[1];
    if (verb == "wait") return WaitForWindow(argc > 2 ? std::atof(argv[2]) : 30.0);
    if (verb == "gone") return WaitForWindowGone(argc > 2 ? std::atof(argv[2]) : 30.0);
    if (verb == "close") return Post(WM_CLOSE, 0);
    if (verb == "command" && argc > 2) return Post(WM_COMMAND, std::strtoul(argv[2], nullptr, 0));
    if (verb == "title") return PrintTitle();
    if (verb == "where") return PrintClientArea();
    if (verb == "check-ini" && argc > 2) return CheckDefaultSettingsFile(argv[2]);
    std::fprintf(stderr, "probe: unknown verb %s\n", verb.c_str());
    return 2;
}
