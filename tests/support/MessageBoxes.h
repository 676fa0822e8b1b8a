#pragma once
// Records the message boxes a piece of code shows in this process, instead of
// showing them, and answers each with a chosen button.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/App.h"

namespace testsupport {

struct RecordedBox {
    std::wstring text;
    std::wstring title;
    UINT type;
    HWND owner;
};

class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedBox>& Boxes() const { return m_boxes; }
    // The texts only, in order.
    std::vector<std::wstring> Texts() const;

private:
    static int Record(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    std::vector<RecordedBox> m_boxes;
    int m_answer;
    fw::MessageBoxFunction m_previous;
};

}  // namespace testsupport
