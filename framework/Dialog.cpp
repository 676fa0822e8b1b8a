#include "Dialog.h"

#include "App.h"
#include "Guard.h"

namespace fw {

Dialog::Dialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

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
    HWND handle = ::CreateDialogIndirectParamW(module, dialogTemplate, m_parent, &Dialog::StartProc,
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
    ::DestroyWindow(handle);  // the object lets go of it on the way
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

void Dialog::MapCommand(UINT id, CommandHandler handler, UINT code)
{
    if (handler)
        m_entries.push_back({EntryKind::kCommand, WM_COMMAND, id, static_cast<int>(code), std::move(handler), {}, {}});
}

void Dialog::MapNotify(UINT id, int code, NotifyHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::kNotify, WM_NOTIFY, id, code, {}, std::move(handler), {}});
}

void Dialog::MapMessage(UINT message, MessageHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::kMessage, message, 0, 0, {}, {}, std::move(handler)});
}

void Dialog::MapTimer(UINT_PTR id, CommandHandler handler)
{
    if (handler)
        m_entries.push_back({EntryKind::kTimer, WM_TIMER, id, 0, std::move(handler), {}, {}});
}

bool Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    for (const Entry& entry : m_entries) {
        if (entry.message != message)
            continue;
        switch (entry.kind) {
        case EntryKind::kCommand:
            if (entry.id == LOWORD(wParam) && entry.code == HIWORD(wParam)) {
                entry.command();
                return true;
            }
            break;
        case EntryKind::kTimer:
            if (entry.id == wParam) {
                entry.command();
                return true;
            }
            break;
        case EntryKind::kNotify: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header && entry.id == header->idFrom && entry.code == static_cast<int>(header->code)) {
                result = entry.notify(header);
                return true;
            }
            break;
        }
        case EntryKind::kMessage:
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

INT_PTR CALLBACK Dialog::StartProc(HWND handle, UINT message, WPARAM, LPARAM lParam)
{
    // Everything after WM_INITDIALOG reaches the object through WindowProc;
    // what it leaves comes back here and is left to the platform.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* self = reinterpret_cast<Dialog*>(lParam);
    constexpr INT_PTR kFailed = -1;
    INT_PTR started = kFailed;
    if (self->SubclassWindow(handle))
        started = NoThrow(kFailed, [self] { return self->OnInitDialog() ? INT_PTR{TRUE} : INT_PTR{FALSE}; }, handle);
    // A dialog that could not start ends at once, as one that could not be made.
    if (started == kFailed) {
        self->EndDialog(-1);
        return FALSE;
    }
    return started;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    return Dispatch(message, wParam, lParam, result) ? result : DefaultProc(message, wParam, lParam);
}

}  // namespace fw
