// The dialog itself: its message map, start-up with captions in both
// languages, the layout on the screen, the set-up of the two grids, the
// enabling of the buttons, Open, Exit and the host's colours.
#include "CorvaneDlg.h"

#include <cwchar>

#include "CorvaneTexts.h"
#include "plugin/resource.h"

namespace {

constexpr COLORREF kGridBackground = 0x00FFFFFF;
constexpr int kProjectColumns = 2;
constexpr int kFileColumns = 6;
// With this layout code both grids use the large font and the project grid is wider.
constexpr int32_t kLargeLayout = 4;

// The captions set at start-up; any other language value keeps the template's.
struct Caption {
    int id;
    TwoLanguageText text;
};
constexpr Caption kCaptions[] = {
    {IDC_UPLOAD, {L"上传", L""}},
    {IDC_DELETE, {L"删除", L"Delete"}},
    {IDC_EXPORT, {L"导出", L"Copy"}},
    {IDC_TITLE_LEFT, {L"(项目)", L"(Construction)"}},
    {IDC_TITLE_MIDDLE, {L"(工程)", L"(Project)"}},
    {IDC_TITLE_RIGHT, {L"(文件)", L"(File)"}},
    {IDC_STORAGE_LABEL, {L"存储空间", L"Storage"}},
    {IDC_FREE_SPACE, {L"剩余:XX%", L"XX%Free"}},
    {IDC_OPEN, {L"打开", L"Open"}},
    {IDC_EXIT, {L"退出", L"Exit"}},
};

// "宋体", height 28, normal weight; the device creates fonts from a LOGFONT only.
HFONT LargeGridFont()
{
    LOGFONTW font{};
    font.lfHeight = 28;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfPitchAndFamily = FF_SWISS;
    std::wcscpy(font.lfFaceName, L"宋体");
    return ::CreateFontIndirectW(&font);
}

}  // namespace

CCorvaneDlg::CCorvaneDlg()
    : fw::Dialog(IDD_CORVANE),
      m_largeGridFont(LargeGridFont())
{
    for (int id : {IDC_PROJECT_GRID, IDC_FILE_GRID}) {
        MapNotify(id, NM_CLICK, [this, id](NMHDR* header) {
            OnGridClick(id, *reinterpret_cast<const GridNotification*>(header));
            return LRESULT(0);
        });
        MapNotify(id, LVN_ITEMCHANGED, [this, id](NMHDR*) {
            OnGridSelChanged(id);
            return LRESULT(0);
        });
        MapNotify(id, LVN_ITEMCHANGING, [](NMHDR*) { return LRESULT(0); });
    }
    MapCommand(IDC_EXIT, [this] { OnExit(); });
    MapCommand(IDC_OPEN, [this] { OnOpen(); });
    MapCommand(IDC_EXPORT, [this] { OnExport(); });
    MapCommand(IDC_DELETE, [this] { OnDelete(); });  // also F3, while the button is enabled
    MapCommand(IDC_UPLOAD, [this] { OnUpload(); });
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message)
        MapMessage(message, [this, message](WPARAM dc, LPARAM control) { return OnCtlColor(message, dc, control); });
    MapMessage(WM_PAINT, [this](WPARAM, LPARAM) {
        OnPaint();
        return LRESULT(0);
    });
}

CCorvaneDlg::~CCorvaneDlg() = default;

void CCorvaneDlg::DoDataExchange()
{
    if (!m_projectGrid.IsWindow())
        m_projectGrid.SubclassDlgItem(IDC_PROJECT_GRID, m_hwnd);
    if (!m_fileGrid.IsWindow())
        m_fileGrid.SubclassDlgItem(IDC_FILE_GRID, m_hwnd);
}

bool CCorvaneDlg::OnInitDialog()
{
    fw::Dialog::OnInitDialog();
    SetCaptions();
    LayoutToScreen(static_cast<unsigned>(::GetSystemMetrics(SM_CXSCREEN)),
                   static_cast<unsigned>(::GetSystemMetrics(SM_CYSCREEN)));
    InitGrids();
    return true;
}

void CCorvaneDlg::SetCaptions()
{
    for (const Caption& caption : kCaptions)
        if (const wchar_t* text = caption.text.For(m_language))
            GetItem(caption.id).SetText(text);
    if (m_language == 1)
        GetItem(IDC_UPLOAD).Enable(false);
}

void CCorvaneDlg::LayoutToScreen(unsigned cx, unsigned cy)
{
    const RECT window = GetWindowRect();
    const float sx = static_cast<float>(window.right - window.left) / static_cast<float>(cx);
    const float sy = static_cast<float>(window.bottom - window.top) / static_cast<float>(cy);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, static_cast<int>(cx), static_cast<int>(cy), SWP_NOZORDER | SWP_SHOWWINDOW);

    const float fx = 1.0f / sx;
    const float fy = 1.0f / sy;
    const WPARAM font = reinterpret_cast<WPARAM>(HostFont());
    for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, font, TRUE);
        const RECT rect = RectInDialog(child);
        const int left = static_cast<int>(static_cast<float>(rect.left) * fx);
        const int top = static_cast<int>(static_cast<float>(rect.top) * fy);
        const int right = static_cast<int>(static_cast<float>(rect.right - rect.left) * fx + static_cast<float>(left));
        int bottom = static_cast<int>(static_cast<float>(rect.bottom - rect.top) * fy + static_cast<float>(top));
        if (HasWindowClass(child, kComboBoxClass))
            bottom = 4 * bottom - 3 * top;  // room for the drop-down list
        if (static_cast<unsigned>(bottom) > cy)
            bottom = static_cast<int>(cy) - 10;
        ::SetWindowPos(child, nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    if (m_layoutCode == kLargeLayout) {
        const WPARAM large = reinterpret_cast<WPARAM>(m_largeGridFont.Get());
        m_projectGrid.Send(WM_SETFONT, large, TRUE);
        m_fileGrid.Send(WM_SETFONT, large, TRUE);
        const RECT project = RectInDialog(m_projectGrid.Handle());
        const RECT files = RectInDialog(m_fileGrid.Handle());
        const int d = (files.right - files.left) / 8;
        ::MoveWindow(m_projectGrid.Handle(), project.left, project.top, project.right + d - project.left,
                     project.bottom - project.top, TRUE);
        ::MoveWindow(m_fileGrid.Handle(), files.left + d, files.top, files.right - files.left - d,
                     files.bottom - files.top, TRUE);
    }
}

void CCorvaneDlg::InitGrids()
{
    for (CGridCtrl* grid : {&m_projectGrid, &m_fileGrid}) {
        grid->SetListMode(true);
        grid->SetRowCount(1);
        grid->SetColumnCount(grid == &m_projectGrid ? kProjectColumns : kFileColumns);
        grid->SetFixedRowCount(1);
        grid->SetEditable(false);
        grid->SetColumnsHideable(false);
        grid->SetRowsHideable(false);
        grid->EnableSelection(true);
        grid->SetHeaderSort(true);
        grid->SetSingleRowSelection(true);
        grid->SetSingleColSelection(true);
        grid->SetRowResize(false);
        grid->SetColumnResize(false);
        grid->SetTrackFocusCell(false);
        grid->SetFrameFocusCell(false);
        grid->SetGridBackColour(kGridBackground);
    }
    const wchar_t* projectTitle = CorvaneText::kProjectName.For(m_language);
    m_projectGrid.SetItemText(0, kColumnName, projectTitle ? projectTitle : L"");
    for (int col = kColumnName; col < kFileColumns; ++col) {
        const wchar_t* title = CorvaneText::kFileColumns[col - kColumnName].For(m_language);
        m_fileGrid.SetItemText(0, col, title ? title : L"");
    }
    m_projectGrid.SetCellType(0, kColumnCheck, &CGridCellCheck::Class);
    m_fileGrid.SetCellType(0, kColumnCheck, &CGridCellCheck::Class);

    m_projectGrid.AutoSizeColumns(GridAutoSize::kBoth);
    m_projectGrid.Invalidate();
    m_fileGrid.AutoSizeColumns(GridAutoSize::kBoth);
    m_fileGrid.SortItems(kColumnModified, false);
    m_fileGrid.Invalidate();

    m_storageKind = ListProjects();
    PrepareFreeSpaceBitmap();
    DrawFreeSpace();

    for (int id : {IDC_OPEN, IDC_DELETE, IDC_EXPORT, IDC_UPLOAD})
        GetItem(id).Enable(false);
    if (m_language == 1 || !m_host.OffersUpload()) {
        m_fileGrid.SetColumnWidth(kColumnState, 0);
        m_fileGrid.SetColumnWidth(kColumnUploadTime, 0);
    }
}

void CCorvaneDlg::UpdateButtons()
{
    const bool checked = CountCheckedRows(m_fileGrid) > 0 || CountCheckedRows(m_projectGrid) > 0;
    GetItem(IDC_EXPORT).Enable(checked && m_storageRoot != kUDiskRoot);
    GetItem(IDC_UPLOAD).Enable(checked && m_uploadSpace);
    GetItem(IDC_DELETE).Enable(checked);

    // Open wants one whole row of the file grid.
    const GridCellRange selected = m_fileGrid.GetSelectedCellRange();
    GetItem(IDC_OPEN).Enable(selected.maxRow - selected.minRow + 1 == 1 &&
                             selected.maxCol - selected.minCol + 1 == m_fileGrid.GetColumnCount());

    if (m_language == 1 || !m_host.OffersUpload()) {
        GetItem(IDC_UPLOAD).SetText(L"");
        GetItem(IDC_UPLOAD).Enable(false);
    }
}

void CCorvaneDlg::RememberFile(int row)
{
    m_startFile = ListedFileName(row);
}

bool CCorvaneDlg::IsListedFile(const fw::WString& name)
{
    for (int row = 1; row < m_fileGrid.GetRowCount(); ++row)
        if (!name.IsEmpty() && ListedFileName(row) == name)
            return true;
    return false;
}

void CCorvaneDlg::OnOpen()
{
    // Only a file that the list shows, and that is still there: the host's
    // start file may name a project or file that is not there, and a deleted
    // file stays remembered.
    if (!m_openProject.IsEmpty() && !m_startFile.IsEmpty() && IsListedFile(m_startFile)) {
        const fw::WString path = m_storageRoot + m_dataFolder + m_openProject + m_startFile;
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // The host gets the path in its code page: one it cannot write would name another file or none.
            if (!ConvertsToAnsiExactly(path)) {
                if (const wchar_t* text = CorvaneText::kPathNotForHost.For(m_language))
                    m_host.Notice(text, CorvaneText::kNoticeCaption.For(m_language));
                return;
            }
            m_resultPath = path;
            EndDialog(IDOK);
            return;
        }
    }
    if (const wchar_t* text = CorvaneText::kSelectFileToOpen.For(m_language))
        m_host.Notice(text, CorvaneText::kNoticeCaption.For(m_language));
}

void CCorvaneDlg::OnExit()
{
    // The device's keyboard driver may still hold the Control key of a key combination.
    ::keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    OnCancel();
}

LRESULT CCorvaneDlg::OnCtlColor(UINT message, WPARAM dc, LPARAM control)
{
    // The platform's default sets up the context; its brush is not used.
    const LRESULT standard = ::DefWindowProcW(m_hwnd, message, dc, control);
    if (!m_colors)
        return standard;
    HDC context = reinterpret_cast<HDC>(dc);
    ::SetTextColor(context, m_colors->textColour);
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        ::SetBkColor(context, m_colors->textBackColour);
        break;
    default:
        break;
    }
    return reinterpret_cast<LRESULT>(message == WM_CTLCOLORBTN ? m_colors->buttonBrush : m_colors->backgroundBrush);
}

CGridCtrl* CCorvaneDlg::GridOf(int id)
{
    return id == IDC_PROJECT_GRID ? &m_projectGrid : (id == IDC_FILE_GRID ? &m_fileGrid : nullptr);
}

RECT CCorvaneDlg::RectInDialog(HWND child) const
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

CGridCtrl* CCorvaneDlg::GridOfWindow(HWND window)
{
    if (window && window == m_projectGrid.Handle())
        return &m_projectGrid;
    if (window && window == m_fileGrid.Handle())
        return &m_fileGrid;
    return nullptr;
}
