#pragma once
// The grid window: a table of cells with fixed header rows and columns,
// per-row heights and per-column widths, a focus cell, a selection, sorting,
// in-place editing and notifications to its parent.
//
// The grid is split by concern: GridCtrl.cpp (window class, creation,
// message map, options, notifications), GridCtrlDimensions.cpp (counts,
// inserts, deletes, sizes, auto-size), GridCtrlCells.cpp (cell access, types,
// properties, state, modified, search), GridCtrlSelection.cpp (focus,
// selection, sorting), GridCtrlDraw.cpp (geometry, painting, scroll bars),
// GridCtrlMouse.cpp (the mouse) and GridCtrlInput.cpp (scrolling, the
// keyboard, in-place editing).

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "GridCellBase.h"
#include "GridDefaultCell.h"
#include "GridTypes.h"
#include "framework/RuntimeClass.h"
#include "framework/Window.h"

class CGridCtrl : public fw::WindowImpl {
    FW_RUNTIME_CLASS()
public:
    static constexpr wchar_t kWindowClass[] = L"MFCGridCtrl";

    // Mouse modes: what a press, drag or hover of the mouse is doing.
    enum class MouseMode {
        kNothing = 0,
        kSelectAll = 1,
        kSelectCol = 2,
        kSelectRow = 3,
        kSelectCells = 4,
        kOverRowDivide = 6,
        kSizingRow = 7,
        kOverColDivide = 8,
        kSizingCol = 9,
        kPrepareEdit = 10,
    };

    CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CGridCtrl() override;

    // --- creation
    // Registers "MFCGridCtrl" for the module that holds this code (fw::RegisterModuleClass,
    // unregistered at the module's shut-down); true when it is there.
    static bool RegisterWindowClass();
    bool Create(const RECT& rect, HWND parent, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_HSCROLL | WS_VSCROLL);
    // Takes over a grid window made elsewhere (a dialog-template control).
    bool SubclassWindow(HWND handle);
    bool SubclassDlgItem(UINT id, HWND parent);

    // --- dimensions
    bool SetRowCount(int rows);
    // The same, the rows it adds having cells of cellClass in column
    // classColumn: made so at once, not made and then replaced as by SetCellType.
    bool SetRowCount(int rows, int classColumn, const fw::RuntimeClass* cellClass);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int fixedRows);
    bool SetFixedColumnCount(int fixedCols);
    int GetRowCount() const { return m_rowCount; }
    int GetColumnCount() const { return m_colCount; }
    int GetFixedRowCount() const { return m_fixedRowCount; }
    int GetFixedColumnCount() const { return m_fixedColCount; }
    // New row index, or -1.
    int InsertRow(const wchar_t* heading, int before = -1);
    int InsertColumn(const wchar_t* heading, UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE, int before = -1);
    bool DeleteRow(int row);
    bool DeleteColumn(int col);
    bool DeleteAllItems();
    bool DeleteNonFixedRows();

    // --- cells
    bool IsValid(int row, int col) const { return row >= 0 && row < m_rowCount && col >= 0 && col < m_colCount; }
    bool IsValid(const GridCellId& cell) const { return IsValid(cell.row, cell.col); }
    bool IsValid(const GridCellRange& range) const;
    bool IsCellFixed(int row, int col) const { return row < m_fixedRowCount || col < m_fixedColCount; }
    // Null outside the grid. In virtual mode: a scratch cell filled for the request.
    CGridCellBase* GetCell(int row, int col);
    const CGridCellBase* GetCell(int row, int col) const { return const_cast<CGridCtrl*>(this)->GetCell(row, col); }
    bool SetCellType(int row, int col, const fw::RuntimeClass* cellClass);
    bool SetDefaultCellType(const fw::RuntimeClass* cellClass);
    const fw::RuntimeClass* GetDefaultCellType() const { return m_cellClass; }
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol);

    bool SetItemText(int row, int col, const wchar_t* text);
    fw::WString GetItemText(int row, int col) const;
    bool SetItemState(int row, int col, UINT state);
    UINT GetItemState(int row, int col) const;
    bool SetItemData(int row, int col, LPARAM data);
    LPARAM GetItemData(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    int GetItemImage(int row, int col) const;
    bool SetItemFormat(int row, int col, UINT format);
    UINT GetItemFormat(int row, int col) const;
    bool SetItemTextColour(int row, int col, COLORREF colour);
    COLORREF GetItemTextColour(int row, int col) const;
    bool SetItemBackColour(int row, int col, COLORREF colour);
    COLORREF GetItemBackColour(int row, int col) const;
    bool SetItemFont(int row, int col, const LOGFONTW* font);
    const LOGFONTW* GetItemFont(int row, int col) const;
    // Negative row or column: the whole grid.
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified(int row = -1, int col = -1) const;
    bool IsCellEditable(int row, int col) const;
    // The next cell after start whose state has every flag of the low byte of
    // flags; the search bits say where to look (none: row by row to the end).
    static constexpr UINT kSearchAbove = 0x0100;
    static constexpr UINT kSearchBelow = 0x0200;
    static constexpr UINT kSearchLeft = 0x0400;
    static constexpr UINT kSearchRight = 0x0800;
    GridCellId GetNextItem(const GridCellId& start, UINT flags) const;
    // Sets a cell's text as an edit would, with the parent's consent
    // (LVN_BEGINLABELEDITW before, LVN_ENDLABELEDITW after).
    bool SetItemTextAsEdited(int row, int col, const wchar_t* text);

    // --- geometry (GridCtrlDraw.cpp)
    bool GetCellOrigin(int row, int col, POINT* origin);
    // Inclusive: right = left + width - 1, bottom = top + height - 1.
    bool GetCellRect(int row, int col, RECT* rect);
    bool GetCellRangeRect(const GridCellRange& range, RECT* rect);
    GridCellId GetCellFromPt(POINT point, bool allowFixed = true);
    bool IsCellVisible(int row, int col);
    void EnsureVisible(int row, int col);
    GridCellId GetTopleftNonFixedCell(bool forceRecalculation = false);
    GridCellRange GetVisibleNonFixedCellRange(RECT* rect = nullptr);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    int GetVirtualWidth() const;
    int GetVirtualHeight() const;
    bool RedrawCell(int row, int col, HDC dc = nullptr);
    bool RedrawRow(int row);
    bool RedrawColumn(int col);
    void ResetScrollBars();
    int GetScrollPos32(int bar, bool track = false) const;
    bool SetScrollPos32(int bar, int pos, bool redraw = true);

    // --- sizes
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    bool AutoSizeColumn(int col, UINT flags = 0, bool resetScroll = true);
    bool AutoSizeRow(int row, bool resetScroll = true);
    void AutoSizeColumns(UINT flags = 0);
    // While a row or column is auto-sized, the extent of a cell's own text in
    // a font as measured before (false: not measured yet, or not auto-sizing).
    // Many cells hold the same texts: each is measured once. The text must
    // stay as it is until the auto-size ends.
    bool MeasuredBefore(HFONT font, const wchar_t* text, SIZE& extent) const;
    void Measured(HFONT font, const wchar_t* text, SIZE extent);

    // --- options
    void SetGridBackColour(COLORREF colour) { m_backColour = colour; }
    COLORREF GetGridBackColour() const { return m_backColour; }
    void SetGridLineColour(COLORREF colour) { m_gridLineColour = colour; }
    COLORREF GetGridLineColour() const { return m_gridLineColour; }
    void SetTipBackColour(COLORREF colour) { m_tipBackColour = colour; }
    COLORREF GetTipBackColour() const { return m_tipBackColour; }
    void SetTipTextColour(COLORREF colour) { m_tipTextColour = colour; }
    COLORREF GetTipTextColour() const { return m_tipTextColour; }
    void SetGridLines(int mode) { m_gridLines = mode; }
    int GetGridLines() const { return m_gridLines; }
    void SetEditable(bool editable) { m_editable = editable; }
    bool IsEditable() const { return m_editable; }
    void SetListMode(bool listMode);
    bool GetListMode() const { return m_listMode; }
    void SetSingleRowSelection(bool single) { m_singleRowSelection = single; }
    bool GetSingleRowSelection() const { return m_listMode && m_singleRowSelection; }
    void SetSingleColSelection(bool single) { m_singleColSelection = single; }
    bool GetSingleColSelection() const { return m_singleColSelection; }
    void SetRedraw(bool allow, bool resetScrollBars = false);
    bool GetRedraw() const { return m_allowDraw; }
    void EnableSelection(bool enable) { ResetSelectedRange(); m_enableSelection = enable; ResetSelectedRange(); }
    bool IsSelectable() const { return m_enableSelection; }
    void SetFixedColumnSelection(bool selects) { m_fixedColClickSelectsRow = selects; }
    bool GetFixedColumnSelection() const { return m_fixedColClickSelectsRow; }
    void SetFixedRowSelection(bool selects) { m_fixedRowClickSelectsCol = selects; }
    bool GetFixedRowSelection() const { return m_fixedRowClickSelectsCol; }
    void SetHeaderSort(bool sorts) { m_headerSort = sorts; }
    bool GetHeaderSort() const { return m_headerSort; }
    void SetWantTab(bool wants) { m_wantTab = wants; }
    bool GetWantTab() const { return m_wantTab; }
    void SetDoubleBuffering(bool offScreen) { m_drawOffScreen = offScreen; }
    bool GetDoubleBuffering() const { return m_drawOffScreen; }
    void SetVirtualPointerOver(bool report) { m_virtualPointerOver = report; }
    bool GetVirtualPointerOver() const { return m_virtualPointerOver; }
    void SetColumnsHideable(bool hideable) { m_columnsHideable = hideable; }
    bool GetColumnsHideable() const { return m_columnsHideable; }
    void SetRowsHideable(bool hideable) { m_rowsHideable = hideable; }
    bool GetRowsHideable() const { return m_rowsHideable; }
    void SetHiddenColumnsOpenable(bool openable) { m_hiddenColsOpenable = openable; }
    bool GetHiddenColumnsOpenable() const { return m_hiddenColsOpenable; }
    void SetHiddenRowsOpenable(bool openable) { m_hiddenRowsOpenable = openable; }
    bool GetHiddenRowsOpenable() const { return m_hiddenRowsOpenable; }
    void SetTrackFocusCell(bool press) { m_trackFocusCell = press; }
    bool GetTrackFocusCell() const { return m_trackFocusCell; }
    void SetFrameFocusCell(bool frame) { m_frameFocusCell = frame; }
    bool GetFrameFocusCell() const { return m_frameFocusCell; }
    void SetAutoSizeFlags(UINT flags) { m_autoSizeFlags = flags; }
    UINT GetAutoSizeFlags() const { return m_autoSizeFlags; }
    void SetRowResize(bool allow) { m_allowRowResize = allow; }
    bool GetRowResize() const { return m_allowRowResize; }
    void SetColumnResize(bool allow) { m_allowColResize = allow; }
    bool GetColumnResize() const { return m_allowColResize; }
    void SetFixedRowClickResetsSelection(bool resets) { m_fixedRowClickResets = resets; }
    bool GetFixedRowClickResetsSelection() const { return m_fixedRowClickResets; }
    void SetTabMovesToNextControl(bool moves) { m_tabToNextControl = moves; }
    bool GetTabMovesToNextControl() const { return m_tabToNextControl; }
    void SetFixedColumnsSelectable(bool selectable) { m_fixedColsSelectable = selectable; }
    bool GetFixedColumnsSelectable() const { return m_fixedColsSelectable; }
    void SetImageList(HIMAGELIST images) { m_images = images; }
    HIMAGELIST GetImageList() const { return m_images; }
    // Parent of the notifications; null: the window's parent.
    void SetOwner(HWND owner) { m_owner = owner; }
    int GetScrollBarState() const;
    MouseMode GetMouseMode() const { return m_mouseMode; }
    GridCellId GetClickDownCell() const { return m_clickDown; }
    GridCellId GetSelectionStartCell() const { return m_selectionStart; }

    // --- virtual mode
    void SetVirtualMode(bool virtualMode);
    bool GetVirtualMode() const { return m_virtualMode; }
    void SetDisplayCallback(GridDisplayCallback callback, LPARAM user = 0)
    {
        m_displayCallback = callback;
        m_displayUser = user;
    }

    // --- focus, selection, sorting (GridCtrlSelection.cpp)
    // Returns the previous focus cell.
    GridCellId SetFocusCell(int row, int col);
    GridCellId SetFocusCell(const GridCellId& cell) { return SetFocusCell(cell.row, cell.col); }
    GridCellId GetFocusCell() const { return m_focus; }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false, bool select = true);
    void SetSelectedRange(const GridCellRange& range, bool forceRepaint = false, bool select = true)
    {
        SetSelectedRange(range.minRow, range.minCol, range.maxRow, range.maxCol, forceRepaint, select);
    }
    void SelectAllCells();
    void SelectRows(GridCellId cell, bool forceRepaint = false, bool select = true);
    void SelectColumns(GridCellId cell, bool forceRepaint = false, bool select = true);
    void SelectCells(GridCellId cell, bool forceRepaint = false, bool select = true);
    void ResetSelectedRange();
    bool IsCellSelected(int row, int col) const;
    GridCellRange GetSelectedCellRange() const;
    int GetSelectedCount() const { return static_cast<int>(m_selected.size()); }
    bool SortItems(int col, bool ascending, LPARAM user = 0);
    bool SortItems(GridCompareFunction compare, int col, bool ascending, LPARAM user = 0);
    void SetSortColumn(int col);
    int GetSortColumn() const { return m_sortColumn; }
    void SetSortAscending(bool ascending) { m_sortAscending = ascending; }
    bool GetSortAscending() const { return m_sortAscending; }
    void SetCompareFunction(GridCompareFunction compare) { m_compare = compare; }
    static int TextCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM user);
    static int NumericCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM user);

    // --- overridable behaviour
    virtual void OnSelectAll();
    virtual void OnFixedColumnClick(const GridCellId& cell);
    virtual void OnFixedRowClick(const GridCellId& cell);
    virtual void StartEditCell(int row, int col, POINT point, UINT ch);
    virtual void OnEditFinished(int row, int col, const wchar_t* text);
    virtual bool ValidateEdit(int row, int col, const wchar_t* text);
    virtual void EndEditing();
    virtual void OnDraw(HDC dc);
    virtual CGridCellBase* CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);

    // --- parent
    LRESULT SendNotification(int row, int col, int code) const;
    LRESULT SendDisplayRequest(GridDisplayInfo* info) const;

    // The in-place editor for a cell, on this grid's window; null when it cannot be made.
    HWND CreateInPlaceEditor(const RECT& rect, DWORD style, UINT id, int row, int col,
                             const wchar_t* text, UINT ch);

    // Auto-scroll timer of a selecting drag.
    static constexpr UINT_PTR kAutoScrollTimer = 513;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Message handlers (GridCtrlInput.cpp, GridCtrlDraw.cpp).
    void OnPaint();
    void OnScroll(int bar, UINT code);  // WM_HSCROLL (SB_HORZ) and WM_VSCROLL (SB_VERT)
    void OnSize();
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnTimer(UINT_PTR id);
    LRESULT OnGetDlgCode();
    void OnKeyDown(UINT key);
    void OnChar(UINT ch, bool imeChar);
    bool OnSetCursor(HWND window, UINT hitTest);
    void OnSettingChange();
    void OnSetFont(HFONT font, bool redraw);
    void OnEndInPlaceEdit(GridDisplayInfo* info);

private:
    using GridRow = std::vector<CGridCellBase*>;
    using SelectionMap = std::unordered_map<uint64_t, GridCellId>;
    static uint64_t SelectionKey(int row, int col)
    {
        return static_cast<uint64_t>(static_cast<uint32_t>(row)) | (static_cast<uint64_t>(static_cast<uint32_t>(col)) << 32);
    }

    // Runs the change on the stored cell; false in virtual mode or outside the grid.
    template <class Change>
    bool WithStoredCell(int row, int col, Change change)
    {
        CGridCellBase* cell = m_virtualMode ? nullptr : GetCell(row, col);
        if (cell)
            change(*cell);
        return cell != nullptr;
    }
    // The dimension operations handle rows and columns alike through these.
    struct Axis;
    Axis Rows();
    Axis Columns();
    template <class Resize>
    bool SetCount(const Axis& axis, int count, Resize resize);
    bool SetFixedCount(const Axis& axis, int fixed);
    int ReadyToInsert(const Axis& axis, int before, int lastBefore);
    int Inserted(const Axis& axis, int index);
    void Removed(const Axis& axis, int index);
    bool SetSize(const Axis& axis, int index, int size);
    // To the largest extent of the cells first … last across it.
    bool AutoSize(const Axis& axis, int index, int first, int last, bool resetScroll);
    // What makes a row or column, which decides its size until something measures it.
    enum class MadeBy { kCount, kInsert, kWindow };
    int NewSize(bool rows, MadeBy by) const;
    // A cell that becomes fixed by flag (fixed row or column) or stops being so;
    // one that stays fixed the other way keeps its colours.
    void MarkFixed(int row, int col, UINT flag, bool fixed, bool fixedOtherWay);
    // The cell classes of a row being made: cellClass in column col, the default elsewhere.
    struct RowClasses {
        int col = -1;
        const fw::RuntimeClass* cellClass = nullptr;
    };
    bool GrowRows(int rows, RowClasses classes);
    bool GrowColumns(int cols);
    // New cells for a whole row, or at col in every row. When one cannot be
    // made none is left: false for a missing cell, a failure goes on as thrown.
    bool FillRow(GridRow& row, int rowIndex, RowClasses classes);
    // Whether the grid can make cells of the class.
    static bool MakesCells(const fw::RuntimeClass* cellClass);
    // A new cell of cellClass, made as CreateCell makes one of the default type.
    CGridCellBase* CreateCellOf(const fw::RuntimeClass* cellClass, int row, int col);
    bool InsertColumnCells(int col);
    void ReportFailure(const std::exception& error) const;
    void DeleteAllCells();
    void ResetRowOrder();
    // Virtual mode: the row order follows an insert (count 1) or a removal (-1).
    void AdjustRowOrder(int row, int count);
    void SwapRows(int first, int second);
    struct CellOrder;
    struct VirtualCellOrder;
    // The selected-cell map follows a cell's selected flag; false without memory for it.
    bool KeepSelection(int row, int col, bool selected);
    // The row order's entry for a row: what the application knows it by in virtual mode.
    int PhysicalRow(int row) const;
    // Virtual mode: fills the cell for (row, col), asking the application for physicalRow.
    void FillVirtualCell(CGridCellBase& cell, int row, int col, int physicalRow);
    template <class K, int (*CompareKeys)(K, K)>
    struct KeyOrder;
    bool SortRange(GridCompareFunction compare, int col, bool ascending, LPARAM user, int low, int high);
    // The grid's own compares, by the rows' texts taken once; false when a row lacks its cell.
    bool SortByTexts(bool asText, int col, bool ascending, int low, int high);
    void SelectForMouseMode(const GridCellId& cell);
    void RedrawHeadersOf(const GridCellId& cell, const GridCellId& other);
    HWND NotifyTarget() const;
    LRESULT SendToParent(NMHDR& header, int code) const;
    // Rows or columns are about to move or go: an open edit ends first.
    void EndEditBeforeCellsMove();
    void ForgetTopLeft() { m_topLeft = GridCellId(); }
    // Geometry along one axis, rows (true) or columns. Sizes are summed in 64
    // bits, as they may add up beyond an int; a sum stops once it reaches limit.
    static int ClampPixels(long long pixels);
    int SizeAlong(bool rows, int index) const;
    long long SumOfSizes(bool rows, int first, int end, long long limit = LLONG_MAX) const;
    // From the client area's start to where index starts: fixed ones from 0,
    // the others from the top-left one; -1 for one scrolled off before it.
    long long PositionOnScreen(bool rows, int index, int topLeftIndex, long long limit) const;
    // The index under a pixel (fixed ones if it lies among them), or -1.
    int IndexAtPixel(bool rows, int pixel, int topLeftIndex) const;
    long long CellEndOnScreen(bool rows, int index);
    // After changes that only add non-fixed rows or columns or make them
    // larger: the bars are recomputed before the grid next reads or shows
    // them (a message posted to itself), once for a whole run of changes.
    void ResetScrollBarsSoon();
    void ApplyDueScrollBars();
    static constexpr UINT kApplyScrollBarsMessage = WM_APP + 1;
    void DrawTrackingLine(const RECT& rect);
    void SizingRect(RECT* rect) const;
    // Over the divider that sizes a row (column) at index, taken in the fixed columns (rows).
    bool OverDivider(bool rows, POINT point, int* index);
    // kOverColDivide or kOverRowDivide over a divider that may be dragged, else kNothing.
    MouseMode DividerAt(POINT point, int* index);
    GridCellId MoveByKey(UINT key, bool control, bool shift, bool* handled);
    void ScrollPage(int bar, bool down);
    void ScrollLine(int bar, bool forward);

    // colours
    COLORREF m_backColour;
    COLORREF m_gridLineColour = RGB(192, 192, 192);
    COLORREF m_windowTextColour;
    COLORREF m_windowColour;
    COLORREF m_faceColour;
    COLORREF m_tipBackColour = kGridDefaultColour;
    COLORREF m_tipTextColour = kGridDefaultColour;

    bool m_virtualMode = false;
    GridDisplayCallback m_displayCallback = nullptr;
    LPARAM m_displayUser = 0;
    int m_gridLines = GridLines::kBoth;
    bool m_editable = true;
    bool m_modified = false;
    bool m_listMode = false;
    bool m_singleRowSelection = false;
    bool m_singleColSelection = false;
    bool m_allowDraw = true;
    bool m_enableSelection = true;
    bool m_fixedColClickSelectsRow = true;
    bool m_fixedRowClickSelectsCol = true;
    bool m_headerSort = false;
    bool m_wantTab = true;
    bool m_drawOffScreen = false;
    bool m_virtualPointerOver = true;
    int m_scrollBars = 0;  // 0x1 horizontal shown, 0x2 vertical shown
    bool m_columnsHideable = true;
    bool m_rowsHideable = true;
    bool m_hiddenColsOpenable = true;
    bool m_hiddenRowsOpenable = true;
    bool m_trackFocusCell = true;
    bool m_frameFocusCell = true;
    UINT m_autoSizeFlags = GridAutoSize::kBoth;

    int m_rowCount = 0;
    int m_fixedRowCount = 0;
    int m_colCount = 0;
    int m_fixedColCount = 0;
    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;
    const fw::RuntimeClass* m_cellClass;
    CGridDefaultCell m_defaultCells[4];  // normal, fixed column, fixed row, fixed row and column
    HIMAGELIST m_images = nullptr;
    std::vector<GridRow> m_rows;

    MouseMode m_mouseMode = MouseMode::kNothing;
    bool m_leftButtonDown = false;
    POINT m_buttonDownPoint{};
    POINT m_lastMousePoint{};
    GridCellId m_clickDown;
    GridCellId m_selectionStart;
    GridCellId m_focus;
    GridCellId m_topLeft;  // cache; invalid = to be recomputed
    GridCellId m_editCell;  // the cell an in-place editor was opened on
    UINT_PTR m_timer = 0;
    UINT m_timerInterval = 25;
    int m_resizeCaptureRange = 3;
    bool m_allowRowResize = true;
    bool m_allowColResize = true;

    SelectionMap m_selected;
    SelectionMap m_previousSelection;
    bool m_sortAscending = true;
    int m_sortColumn = -1;
    GridCompareFunction m_compare = nullptr;
    std::vector<int> m_rowOrder;  // virtual mode; columns keep their order
    bool m_destroying = false;
    bool m_fixedRowClickResets = false;
    bool m_tabToNextControl = false;
    bool m_fixedColsSelectable = false;

    HWND m_owner = nullptr;
    std::unique_ptr<CGridCellBase> m_scratchCell;  // virtual mode
    bool m_inSize = false;
    bool m_quietScrollBars = false;  // bars are redrawn once after a run of steps
    // While AutoSize measures: the extents of the cells' texts in the font most of them use.
    struct ExtentMemo {
        HFONT font;
        std::unordered_map<std::wstring_view, SIZE> extents;
    };
    ExtentMemo* m_extentMemo = nullptr;
    bool m_scrollBarsDue = false;     // the bars do not show the sizes yet
    bool m_scrollBarsPosted = false;  // kApplyScrollBarsMessage is on its way
    RECT m_trackingLine{};
    bool m_trackingShown = false;
    int m_sizingIndex = -1;  // column or row being sized
};
