#include "MessageBoxes.h"

namespace testsupport {

namespace {
MessageBoxRecorder* g_recorder = nullptr;
}

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : m_answer(answer), m_previous(fw::SetMessageBoxFunction(&MessageBoxRecorder::Record))
{
    g_recorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    fw::SetMessageBoxFunction(m_previous);
    g_recorder = nullptr;
}

std::vector<std::wstring> MessageBoxRecorder::Texts() const
{
    std::vector<std::wstring> texts;
    for (const RecordedBox& box : m_boxes)
        texts.push_back(box.text);
    return texts;
}

int MessageBoxRecorder::Record(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    if (!g_recorder)
        return IDOK;
    g_recorder->m_boxes.push_back({text ? text : L"", caption ? caption : L"", type, owner});
    return g_recorder->m_answer;
}

}  // namespace testsupport
