// Where the data lie: the storage root and data folder from the host's data
// location, the volume that the project list shows, and the free-space
// indicator under the lists.
#include "CorvaneDlg.h"

#include "CorvaneTexts.h"
#include "plugin/resource.h"

namespace {

// The internal flash keeps this much for itself: counted neither as free nor as total.
constexpr long long kFlashReservedMegabytes = 150;
// Upload stages its items on the flash disk and wants this much free there.
constexpr long long kUploadSpaceMegabytes = 155;

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlue = 0x00FF0000;
constexpr COLORREF kBlack = 0x00000000;
// Right-aligned and centred in the height, which takes a single line; clear
// of the frame, which is drawn over the rectangle's last column and row.
constexpr UINT kFreeSpaceTextFormat = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
constexpr int kFreeSpaceTextMargin = 2;

bool Exists(const fw::WString& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FreeSpaceOf(const fw::WString& root, unsigned long long* total, unsigned long long* free)
{
    ULARGE_INTEGER available{};
    ULARGE_INTEGER totalBytes{};
    ULARGE_INTEGER freeBytes{};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, &totalBytes, &freeBytes))
        return false;
    *total = totalBytes.QuadPart;
    *free = freeBytes.QuadPart;
    return true;
}

// The free share of a volume in percent, from whole megabytes. A flash disk
// whose free space (or size) does not exceed its reserve has none to offer:
// 0, never a negative share, and no division by a total of 0.
float FreePercent(unsigned long long totalBytes, unsigned long long freeBytes, bool flashDisk)
{
    long long total = static_cast<long long>(totalBytes >> 20);
    long long free = static_cast<long long>(freeBytes >> 20);
    if (flashDisk) {
        total -= kFlashReservedMegabytes;
        free -= kFlashReservedMegabytes;
    }
    if (free <= 0 || total <= 0)
        return 0.0f;
    const float percent = static_cast<float>(free) / static_cast<float>(total) * 100.0f;
    return percent > 100.0f ? 100.0f : percent;
}

}  // namespace

bool CCorvaneDlg::ParseLocation(const fw::WString& data, const fw::WString& start)
{
    m_storageRoot.Empty();
    m_dataFolder.Empty();
    fw::WString s = data;
    size_t i = s.Find(L'\\');
    if (i == 0) {
        s = s.Mid(1);
        i = s.Find(L'\\');
    }
    // No volume named (nothing, or "\") gives the root "\\": no volume, nothing
    // listed, rather than the top folders of some volume offered to Delete.
    if (i == fw::WString::kNoPosition) {
        m_storageRoot = L"\\" + s + L"\\";
    } else if (i == s.Length() - 1) {
        m_storageRoot = L"\\" + s;
    } else {
        m_storageRoot = L"\\" + s.Left(i + 1);
        m_dataFolder = s.Mid(i + 1);
        if (m_storageRoot == kUDiskRoot) {
            const size_t first = m_dataFolder.Find(L'\\');
            if (first != fw::WString::kNoPosition)
                m_dataFolder = m_dataFolder.Mid(first + 1);
        }
        // Nothing but backslashes left ("\硬盘\Work\", "Flash Disk\\"): the
        // volume itself, not a folder named "\" that doubles the separator.
        if (m_dataFolder.str().find_first_not_of(L'\\') == std::wstring::npos)
            m_dataFolder.Empty();
        else if (!m_dataFolder.EndsWith(L"\\"))
            m_dataFolder += L'\\';
    }

    if (start.IsEmpty())
        return true;
    s = start;
    i = s.Find(L'\\');
    if (i == 0) {
        s = s.Mid(1);
        i = s.Find(L'\\');
    }
    if (i == fw::WString::kNoPosition || i == s.Length() - 1)
        return true;
    size_t j = s.ReverseFind(L'\\');
    const size_t dot = s.ReverseFind(L'.');
    if (j == s.Length() - 1) {
        s = s.Left(j);
        j = s.ReverseFind(L'\\');
    } else if (dot != fw::WString::kNoPosition && s.Length() >= 4 && dot == s.Length() - 4) {
        m_startFile = s.Mid(j + 1);
        s = s.Left(j);
        j = s.ReverseFind(L'\\');
    }
    // More than one level below a project.
    return j == s.Find(L'\\');
}

int CCorvaneDlg::ListProjects()
{
    int kind = kNoStorage;
    if (m_storageRoot.IsEmpty()) {
        if (Exists(kStorageCardRoot)) {
            m_storageRoot = kStorageCardRoot;
            kind = kStorageCard;
        } else if (Exists(kFlashDiskRoot)) {
            m_storageRoot = kFlashDiskRoot;
            kind = kFlashDisk;
        }
    } else if (m_storageRoot == kStorageCardRoot) {
        kind = kStorageCard;
        if (!Exists(kStorageCardRoot)) {
            m_storageRoot = kFlashDiskRoot;
            kind = kFlashDisk;
        }
    } else if (m_storageRoot == kFlashDiskRoot) {
        kind = kFlashDisk;
    }
    if (kind != kNoStorage)
        ListFolder(m_storageRoot + m_dataFolder, L"*.*", &m_projectGrid);
    return kind;
}

void CCorvaneDlg::PrepareFreeSpaceBitmap()
{
    fw::Window indicator = GetItem(IDC_FREE_SPACE);
    const RECT rect = indicator.GetWindowRect();
    fw::ClientDC dc(indicator.Handle());
    m_freeSpaceBitmap.reset();
    m_freeSpaceBitmap = std::make_unique<fw::MemoryBitmap>(rect.right - rect.left, rect.bottom - rect.top, dc.Get());
    if (m_freeSpaceBitmap->IsValid())
        ::SetBkMode(m_freeSpaceBitmap->DC(), TRANSPARENT);
}

void CCorvaneDlg::DrawFreeSpace()
{
    unsigned long long total = 0;
    unsigned long long free = 0;
    // A volume that cannot be measured shows no figure: an empty bar, no text.
    const bool measured = FreeSpaceOf(m_storageRoot, &total, &free);
    const float percent = measured ? FreePercent(total, free, m_storageRoot == kFlashDiskRoot) : 0.0f;
    const wchar_t* format = CorvaneText::kFreeSpaceFormat.For(m_language);
    m_freeSpaceText = measured && format ? fw::WString::Format(format, static_cast<double>(percent)) : fw::WString();
    // The bar shows the used share.
    DrawIndicator(measured ? 1.0 - percent * 0.01 : 0.0);
    m_indicatorShowsProgress = false;
    // The indicator follows every reload: show the new figures.
    const RECT area = RectInDialog(GetItem(IDC_FREE_SPACE).Handle());
    Invalidate(&area);

    // Nothing sets the flag back while the dialog lives. A flash disk that
    // cannot be measured offers no room either.
    unsigned long long flashTotal = 0;
    unsigned long long flashFree = 0;
    if (!FreeSpaceOf(kFlashDiskRoot, &flashTotal, &flashFree) ||
        static_cast<long long>(flashFree >> 20) < kUploadSpaceMegabytes)
        m_uploadSpace = false;
}

void CCorvaneDlg::DrawProgress(const wchar_t* format, int done, int total)
{
    m_freeSpaceText = format ? fw::WString::Format(format, done, total) : fw::WString();
    DrawIndicator(total > 0 ? static_cast<double>(done) / total : 0.0);
    m_indicatorShowsProgress = true;
    // The operation holds this thread, so no paint message would come: painted at once.
    const RECT area = RectInDialog(GetItem(IDC_FREE_SPACE).Handle());
    Invalidate(&area);
    ::UpdateWindow(m_hwnd);
}

void CCorvaneDlg::DrawIndicator(double blueShare)
{
    fw::Window indicator = GetItem(IDC_FREE_SPACE);
    indicator.Show(SW_HIDE);  // painted in its place
    if (!m_freeSpaceBitmap || !m_freeSpaceBitmap->IsValid())
        return;
    HDC dc = m_freeSpaceBitmap->DC();
    RECT r = indicator.GetClientRect();
    fw::Brush white(::CreateSolidBrush(kWhite));
    fw::Brush blue(::CreateSolidBrush(kBlue));
    fw::Pen black(::CreatePen(PS_SOLID, 1, kBlack));
    ::FillRect(dc, &r, white.Get());
    RECT bar = r;
    bar.right = static_cast<LONG>(blueShare * r.right);
    ::FillRect(dc, &bar, blue.Get());
    {
        fw::SelectGuard font(dc, HostFont());
        RECT text = r;
        text.right -= ::GetSystemMetrics(SM_CXBORDER) + kFreeSpaceTextMargin;
        ::DrawTextW(dc, m_freeSpaceText.c_str(), -1, &text, kFreeSpaceTextFormat);
    }
    fw::SelectGuard pen(dc, black.Get());
    r.right -= ::GetSystemMetrics(SM_CXBORDER);
    r.bottom -= ::GetSystemMetrics(SM_CYBORDER);
    ::MoveToEx(dc, 0, 0, nullptr);
    ::LineTo(dc, r.right, r.top);
    ::LineTo(dc, r.right, r.bottom);
    ::LineTo(dc, r.left, r.bottom);
    ::LineTo(dc, 0, 0);
}

void CCorvaneDlg::OnPaint()
{
    fw::PaintDC paint(m_hwnd);
    if (!paint.Get() || !m_freeSpaceBitmap || !m_freeSpaceBitmap->IsValid())
        return;
    const RECT area = RectInDialog(GetItem(IDC_FREE_SPACE).Handle());
    ::BitBlt(paint.Get(), area.left, area.top, area.right - area.left, area.bottom - area.top,
             m_freeSpaceBitmap->DC(), 0, 0, SRCCOPY);
}

HFONT CCorvaneDlg::HostFont() const
{
    return m_font ? m_font->handle : nullptr;
}
