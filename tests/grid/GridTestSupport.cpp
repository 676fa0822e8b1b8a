#include "GridTestSupport.h"

namespace gridtest {

namespace {
constexpr wchar_t kParentClass[] = L"GridTestParent";
}

TestParent::TestParent(int width, int height)
{
    WNDCLASSW wc{};
    if (!::GetClassInfoW(::GetModuleHandleW(nullptr), kParentClass, &wc)) {
        wc.lpfnWndProc = &TestParent::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kParentClass;
        ::RegisterClassW(&wc);
    }
    RECT rect{0, 0, width, height};
    ::AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    m_hwnd = ::CreateWindowExW(0, kParentClass, L"grid test", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                               0, 0, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), this);
}

TestParent::~TestParent()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

std::vector<UINT> TestParent::Codes() const
{
    std::vector<UINT> codes;
    for (const Notice& notice : notices)
        codes.push_back(notice.code);
    return codes;
}

LRESULT CALLBACK TestParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestParent*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            const UINT code = header->code;
            if (code == LVN_GETDISPINFOW) {
                ++self->displayRequests;
                if (self->display)
                    self->display(reinterpret_cast<GridDisplayInfo*>(lParam));
                return 0;
            }
            if (code == LVN_ENDLABELEDITW && header->idFrom == kGridEditorId)
                return ::DefWindowProcW(window, message, wParam, lParam);
            auto* record = reinterpret_cast<GridNotification*>(lParam);
            self->notices.push_back(Notice{code, record->row, record->column, header->idFrom, header->hwndFrom});
            auto answer = self->answers.find(code);
            return answer == self->answers.end() ? 0 : answer->second;
        }
        if (message == WM_NEXTDLGCTL) {
            ++self->nextControlRequests;
            return 0;
        }
        if (message == WM_COMMAND) {
            self->commands.emplace_back(wParam, lParam);
            return 0;
        }
        if (message == WM_NCDESTROY)
            self->m_hwnd = nullptr;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::unique_ptr<CGridCtrl> MakeGrid(TestParent& parent, int width, int height, UINT id)
{
    auto grid = std::make_unique<CGridCtrl>();
    // No border: the client area is exactly the size asked for.
    RECT rect{0, 0, width, height};
    if (!grid->Create(rect, parent.Handle(), id, WS_CHILD | WS_VISIBLE | WS_TABSTOP))
        return nullptr;
    return grid;
}

std::unique_ptr<fw::MemoryBitmap> Render(CGridCtrl& grid)
{
    RECT client = grid.GetClientRect();
    auto bitmap = std::make_unique<fw::MemoryBitmap>(client.right, client.bottom);
    bitmap->Fill(RGB(1, 2, 3));
    grid.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap->DC()), PRF_CLIENT);
    return bitmap;
}

}  // namespace gridtest
