#pragma once
// The abstract cell: a state word and the drawing, measuring and editing
// that every cell class shares. Properties a cell leaves unset come from the
// grid's default cell that matches its fixed-row and fixed-column flags.

#include <windows.h>

#include "GridCellPool.h"
#include "GridTypes.h"
#include "framework/RuntimeClass.h"

class CGridCtrl;
class CGridDefaultCell;

class CGridCellBase : public fw::Object {
    FW_RUNTIME_CLASS()
public:
    CGridCellBase() = default;
    ~CGridCellBase() override = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;
    // Cells of every class come from the cell pool.
    static void* operator new(size_t size) { return GridCellPool::Allocate(size); }
    static void operator delete(void* memory) noexcept { GridCellPool::Release(memory); }

    virtual void SetText(const wchar_t* text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetData(LPARAM data) = 0;
    virtual void SetState(UINT state) { m_state = state; }
    virtual void SetFormat(UINT format) = 0;
    virtual void SetTextColour(COLORREF colour) = 0;
    virtual void SetBackColour(COLORREF colour) = 0;
    virtual void SetFont(const LOGFONTW* font) = 0;
    virtual void SetMargin(UINT margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    virtual void SetCoords(int row, int col) = 0;

    // Never null.
    virtual const wchar_t* GetText() const = 0;
    virtual const wchar_t* GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual UINT GetState() const { return m_state; }
    virtual UINT GetFormat() const = 0;
    virtual COLORREF GetTextColour() const = 0;
    virtual COLORREF GetBackColour() const = 0;
    virtual const LOGFONTW* GetFont() const = 0;
    virtual HFONT GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual HWND GetEditor() const = 0;
    virtual UINT GetMargin() const = 0;
    // The grid's default cell for this cell's fixed flags; null without a grid.
    virtual CGridDefaultCell* GetDefaultCell() const;
    virtual bool UsesDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;

    virtual bool IsFocused() const { return (m_state & GridState::kFocused) != 0; }
    virtual bool IsFixed() const { return (m_state & GridState::kFixed) != 0; }
    virtual bool IsFixedCol() const { return (m_state & GridState::kFixedCol) != 0; }
    virtual bool IsFixedRow() const { return (m_state & GridState::kFixedRow) != 0; }
    virtual bool IsSelected() const { return (m_state & GridState::kSelected) != 0; }
    virtual bool IsReadOnly() const { return (m_state & GridState::kReadOnly) != 0; }
    virtual bool IsModified() const { return (m_state & GridState::kModified) != 0; }
    virtual bool IsDropHighlighted() const { return (m_state & GridState::kDropHighlighted) != 0; }

    // Takes over another cell's properties through this cell's setters.
    virtual void CopyFrom(const CGridCellBase& other);
    virtual void Reset() { m_state = 0; }

    // rect is inclusive: right and bottom are the cell's last pixel column and row.
    virtual bool Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground = true);
    virtual bool GetTextRect(RECT* rect);
    virtual bool GetTipTextRect(RECT* rect) { return GetTextRect(rect); }
    // dc may be null: the grid window's is taken then.
    virtual SIZE GetTextExtent(const wchar_t* text, HDC dc = nullptr);
    virtual SIZE GetCellExtent(HDC dc);

    // ch is the character that started the edit (1 for the left button).
    virtual bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch);
    virtual bool ValidateEdit(const wchar_t* text);
    virtual void EndEdit() {}
    virtual void EditEnded() {}

    // Pointer hooks; points are relative to the cell.
    virtual void OnPointerOver() {}
    virtual void OnClick(POINT point);
    virtual void OnButtonDown(POINT point);
    virtual void OnDoubleClick(POINT point);
    virtual bool OnSetCursor();

protected:
    // Size of the grid's image at index; false without image list or image.
    bool GetImageSize(int image, SIZE* size) const;

    UINT m_state = 0;
};
