// Stands in for today's Notepad in the window tests: a top-level window
// titled "<file name> - Notepad" that shows the file in a RICHEDIT50W control
// nested one level below it, and ends when the window is closed.
//
//   stand_in_editor <file>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

LRESULT CALLBACK FrameProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(wnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string path = argv[1];
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::string title = path.substr(path.rfind('\\') + 1) + " - Notepad";

    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.lpszClassName = "StandInEditor";
    RegisterClassA(&frameClass);
    LoadLibraryA("msftedit.dll");
    // Titled last, once the text is in, as Notepad does: whoever finds the
    // window by its title finds it ready.
    const HWND frame = CreateWindowExA(0, "StandInEditor", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                       nullptr, nullptr, nullptr, nullptr);
    const HWND pane =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, frame, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "RICHEDIT50W", text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 400, 300, pane, nullptr,
                    nullptr, nullptr);
    SetWindowTextA(frame, title.c_str());
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
