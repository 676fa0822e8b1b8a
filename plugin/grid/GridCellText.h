#pragma once
// A cell's text. The texts a grid of files shows (names, times, states,
// sizes) fit inside the cell; only longer ones take memory of their own, so
// that filling thousands of rows does not cost an allocation per text.

#include <cstddef>

class GridCellText {
public:
    GridCellText() = default;
    ~GridCellText() { delete[] m_long; }
    GridCellText(const GridCellText&) = delete;
    GridCellText& operator=(const GridCellText&) = delete;

    // null gives the empty text. Without memory for a long text it throws
    // std::bad_alloc, and the text is unchanged.
    void Assign(const wchar_t* text);
    void Empty();
    const wchar_t* c_str() const { return m_long ? m_long : m_short; }

private:
    static constexpr size_t kShortLength = 19;
    wchar_t* m_long = nullptr;  // a text longer than kShortLength
    wchar_t m_short[kShortLength + 1] = {};
};
