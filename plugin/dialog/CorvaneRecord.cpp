// The take-over of the host's record: the dialog keeps copies of its values
// and one pointer into it, the colours.
#include "CorvaneDlg.h"

#include "CorvaneTexts.h"

namespace {

// A pattern this long carries one further character and the layout code after it.
constexpr size_t kPatternLength = 5;
constexpr size_t kLayoutCodeIndex = 6;

}  // namespace

void CCorvaneDlg::TakeOverRecord(const ShowManagerParams& params)
{
    m_filePattern = fw::WString::FromAnsi(params.filePattern);
    m_layoutCode = 0;
    if (m_filePattern.Length() > kPatternLength) {
        // The conversion never makes more characters than there are bytes, so
        // the byte at index 6 is within the text or its terminator.
        m_layoutCode = static_cast<signed char>(params.filePattern[kLayoutCodeIndex]);
        m_filePattern = m_filePattern.Left(kPatternLength);
    }
    ::OutputDebugStringW(fw::WString::Format(L"%ls,%d", m_filePattern.c_str(), m_layoutCode).c_str());

    m_host.Take(params);
    m_font = params.font;
    m_language = params.language;
    m_colors = &params.colors;

    const fw::WString data = fw::WString::FromAnsi(params.dataLocation);
    fw::WString start = fw::WString::FromAnsi(params.startLocation);
    // "Project\File": the project with its backslash, and the file with its extension.
    const size_t slash = start.Find(L'\\');
    if (slash != fw::WString::kNoPosition && slash > 0 && slash + 1 < start.Length()) {
        m_startFile = start.Mid(slash + 1);
        if (!m_startFile.EndsWith(Extension()))
            m_startFile += Extension();
        start = start.Left(slash + 1);
    }
    if (!ParseLocation(data, start)) {
        if (const wchar_t* text = CorvaneText::kWrongLocation.For(m_language))
            m_host.Notice(text, CorvaneText::kWrongLocationCaption.For(m_language));
    }
    m_openProject = start;
    m_hostProjectFolder = start;
}

fw::WString CCorvaneDlg::Extension() const
{
    // "*." + three letters: the last four characters. A shorter pattern
    // ("*.db", "*") has the rest after its first character.
    return m_filePattern.Mid(1);
}
