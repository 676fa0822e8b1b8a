#include "Dialog.h"

#include "App.h"
#include "Guard.h"

namespace fw {

Dialog::Dialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog()
{
    if (IsWindow())
        ::DestroyWindow(m_hwnd);
}

INT_PTR Dialog::DoModal()
{
    HMODULE module = ThisModule();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (!dialogTemplate)
        return -1;

    m_ended = false;
    m_result = IDCANCEL;
    HWND handle = ::CreateDialogIndirectParamW(module, dialogTemplate, m_parent, &Dialog::StaticProc,
                                               reinterpret_cast<LPARAM>(this));
    if (!handle)
        return -1;

    bool parentWasEnabled = m_parent && ::IsWindowEnabled(m_parent);
    if (parentWasEnabled)
        ::EnableWindow(m_parent, FALSE);
    if (!(GetStyle() & WS_VISIBLE))
        Show(SW_SHOWNORMAL);

    // Our own modal loop, so that the application and the dialog see messages first.
    m_running = true;
    MSG message;
    while (!m_ended) {
        int got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        App* app = App::Current();
        if ((app && app->PreTranslateMessage(&message)) || PreTranslateMessage(&message))
            continue;
        if (::IsDialogMessageW(m_hwnd, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    m_running = false;

    if (parentWasEnabled)
        ::EnableWindow(m_parent, TRUE);
    ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    return m_result;
}

void Dialog::EndDialog(INT_PTR result)
{
    m_result = result;
    m_ended = true;
    if (m_hwnd)
        ::PostMessageW(m_hwnd, WM_NULL, 0, 0);  // wakes the loop if it waits
}

bool Dialog::OnInitDialog()
{
    DoDataExchange();
    return true;
}

void Dialog::OnOK()
{
    DoDataExchange();
    EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool Dialog::PreTranslateMessage(MSG*)
{
    return false;
}

void Dialog::OnCommand(UINT id, CommandHandler handler, UINT code)
{
    if (handler)
        m_entries.push_back({EntryKind::Command, WM_COMMAND, id, static_cast<int>(code), std::move(handler), {}, {}});
}

void Dialog::OnNotify(UINT id, int code, NotifyHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::Notify, WM_NOTIFY, id, code, {}, std::move(handler), {}});
}

void Dialog::OnMessage(UINT message, MessageHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::Message, message, 0, 0, {}, {}, std::move(handler)});
}

void Dialog::OnTimer(UINT_PTR id, CommandHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::Timer, WM_TIMER, id, 0, std::move(handler), {}, {}});
}

bool Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    for (const Entry& entry : m_entries) {
        if (entry.message != message)
            continue;
        switch (entry.kind) {
        case EntryKind::Command:
            if (entry.id == LOWORD(wParam) && entry.code == HIWORD(wParam)) {
                entry.command();
                return true;
            }
            break;
        case EntryKind::Timer:
            if (entry.id == wParam) {
                entry.command();
                return true;
            }
            break;
        case EntryKind::Notify: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header && entry.id == header->idFrom && entry.code == static_cast<int>(header->code)) {
                result = entry.notify(header);
                return true;
            }
            break;
        }
        case EntryKind::Message:
            result = entry.other(wParam, lParam);
            return true;
        }
    }
    // Unmapped IDOK / IDCANCEL: buttons, Enter and Escape, and the system close.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrW(handle, DWLP_USER, lParam);
        self->m_hwnd = handle;
        constexpr INT_PTR kFailed = -1;
        INT_PTR started = NoThrow(kFailed, [self] { return self->OnInitDialog() ? INT_PTR{TRUE} : INT_PTR{FALSE}; },
                                  handle);
        // A dialog that could not start ends at once, as one that could not be made.
        if (started == kFailed) {
            self->EndDialog(-1);
            return FALSE;
        }
        return started;
    }
    // A handler that failed leaves the message to the platform's default.
    return NoThrow(INT_PTR{FALSE}, [&] { return Proc(handle, message, wParam, lParam); }, handle);
}

INT_PTR Dialog::Proc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(handle, DWLP_USER));
    if (!self)
        return FALSE;
    LRESULT result = 0;
    if (!self->Dispatch(message, wParam, lParam, result))
        return FALSE;
    switch (message) {
    // These answer through the procedure's own return value.
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(handle, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace fw
