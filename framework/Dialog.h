#pragma once
// Modal dialogs from resource templates: window objects (Window.h) whose
// messages go through a message map that the derived class's constructor
// fills (Map...): commands by control id, notifications by id and code,
// timers by id, and any other message with its result. On... names a
// handler, never the mapping of one.

#include <windows.h>

#include <functional>
#include <vector>

#include "Window.h"

namespace fw {

class Dialog : public WindowImpl {
public:
    // The template is looked up in the module that holds this code.
    explicit Dialog(UINT templateId, HWND parent = nullptr);

    // Runs the dialog until EndDialog; returns its result, or -1 when it could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    bool IsModalRunning() const { return m_running; }

protected:
    // Binds template controls to members. Run on initialisation and by OnOK.
    virtual void DoDataExchange() {}
    // After the controls exist. True lets the platform set the default focus.
    virtual bool OnInitDialog();
    // IDOK: data exchange, then end with IDOK. IDCANCEL: end with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Seen before the modal loop dispatches a message of this thread; true = eaten.
    virtual bool PreTranslateMessage(MSG* message);

    using CommandHandler = std::function<void()>;
    using NotifyHandler = std::function<LRESULT(NMHDR*)>;
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    // An empty handler is not entered.
    void MapCommand(UINT id, CommandHandler handler, UINT code = BN_CLICKED);
    void MapNotify(UINT id, int code, NotifyHandler handler);
    void MapMessage(UINT message, MessageHandler handler);
    // WM_TIMER of one timer id; other timers go on to later entries.
    void MapTimer(UINT_PTR id, CommandHandler handler);

    // The map's entries, then the unmapped IDOK and IDCANCEL; the rest goes to
    // the platform's dialog procedure.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Only the start: the dialog's window becomes this object's at WM_INITDIALOG.
    static INT_PTR CALLBACK StartProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // An entry answers either commands (id, code), notifications (id, code),
    // one timer (id) or every instance of one message, WM_COMMAND and
    // WM_NOTIFY included; the first entry that answers a message handles it.
    enum class EntryKind { kCommand, kNotify, kTimer, kMessage };
    struct Entry {
        EntryKind kind;
        UINT message;
        UINT_PTR id;
        int code;
        CommandHandler command;
        NotifyHandler notify;
        MessageHandler other;
    };
    std::vector<Entry> m_entries;
    UINT m_templateId;
    HWND m_parent;
    bool m_running = false;
    bool m_ended = false;
    INT_PTR m_result = IDCANCEL;
};

}  // namespace fw
