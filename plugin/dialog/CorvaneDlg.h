#pragma once
// The file manager: a full-screen modal dialog with the projects of the data
// folder in one grid and the files of the open project in the other, the
// free space of the storage, and the commands Open, Delete, Export, Upload
// and Exit. It reaches the host only through the hooks of the host's record.
//
// The class is split by concern:
//   CorvaneDlg.cpp      start-up, layout, grid set-up, buttons, Open, Exit, colours
//   CorvaneInput.cpp    grid clicks, keyboard navigation, keys and swipes
//   CorvaneRecord.cpp   the take-over of the host's record
//   CorvaneStorage.cpp  storage root and data folder, the project list's volume, free space
//   CorvaneListing.cpp  the listing of projects and files and the row helpers
//   CorvaneOperations.cpp  what the file operations share: folders, the tree
//                       copy, notices, the busy state, the result summary
//   CorvaneExport.cpp, CorvaneDelete.cpp, CorvaneUpload.cpp  the handlers of
//                       the buttons Export (5), Delete (4) and Upload (3)
// The operations work on the checked rows (NextCheckedRow, CountCheckedRows),
// run synchronously inside their handler under the busy state, talk to the
// host through m_host and end by reloading with InitGrids.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "GridCellCheck.h"
#include "GridCtrl.h"
#include "CorvaneTexts.h"
#include "HostHooks.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/WString.h"
#include "plugin/Corvane.h"

class OperationProgress;

class CCorvaneDlg : public fw::Dialog {
    friend class OperationProgress;  // registers itself while an operation runs

public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

    // Takes over the host's record: pattern and layout code, hooks, font,
    // language, colours, the data and start locations.
    void TakeOverRecord(const ShowManagerParams& params);
    // The full path chosen by Open.
    const fw::WString& GetResultPath() const { return m_resultPath; }

    // Lists the entries of folder (ending with "\") that match pattern into
    // control: the dialog's own grids, or a host's grid or combo box (any
    // other window is left alone). "*.*" lists sub-folders, any other
    // pattern files. The number of entries listed.
    int ListFolder(const fw::WString& folder, const fw::WString& pattern, fw::Window* control);

    // --- storage (CorvaneStorage.cpp)
    // Sets storage root and data folder from data; checks start (may set the
    // start file). False when start names a folder below a project.
    bool ParseLocation(const fw::WString& data, const fw::WString& start);
    // Settles the storage root and lists its projects; the storage kind.
    int ListProjects();
    void PrepareFreeSpaceBitmap();
    // Measures the storage root, redraws the indicator off screen, updates the upload space flag.
    void DrawFreeSpace();
    // The indicator during an operation: the bar filled with the share done,
    // and the format (null: no text) with the files done and their total.
    // Painted at once.
    void DrawProgress(const wchar_t* format, int done, int total);
    // Whether the indicator shows an operation's progress rather than the free space.
    bool IndicatorShowsProgress() const { return m_indicatorShowsProgress; }

    // --- listing helpers (CorvaneListing.cpp)
    // Opens the project of that row of the project grid and lists its files.
    void ShowProjectFiles(int row);
    // Clicks the file row whose name is name.
    void SelectStartFile(const fw::WString& name);
    static void SetHeaderCount(CGridCtrl& grid, int count);
    // Scrolls a row into view and posts a click into its name cell; false when there is no such row.
    static bool ClickRow(CGridCtrl& grid, int row);
    // The first checked row at or after from; 0 when none.
    static int NextCheckedRow(CGridCtrl& grid, int from);
    static int CountCheckedRows(CGridCtrl& grid);

    // --- what the file operations share (CorvaneOperations.cpp)
    // Whether a folder is there for the operation to go on.
    enum class FolderState {
        Ready,     // it exists (as a folder or as a file) or was made
        DiskFull,  // it could not be made for a full disk; the notice has been shown
        Failed,    // it could not be made for another reason; nothing shown
    };
    FolderState EnsureFolder(const fw::WString& path);
    // A folder-tree copy or delete: the files handled, and whether the walk
    // met a failure (also one before the first file).
    struct TreeCount {
        int files = 0;
        bool failed = false;
    };
    // Copies the tree below source into destination (made by the caller),
    // replacing files; stops at the first failure, leaving its last error. A
    // folder that cannot be listed, for any reason but having no entries, is a failure.
    TreeCount CopyFolderTree(const fw::WString& source, const fw::WString& destination);
    // Shows the notice when the thread's last error is code; whether it was due.
    bool NoticeIfLastError(DWORD code, const TwoLanguageText& text, const TwoLanguageText& caption, int32_t type);
    // The notice for last error 112.
    bool NoticeIfDiskFull();
    // The outcome of Export or Delete, under the operation's title.
    void ShowResultSummary(const fw::WString& title, int projects, int files, bool failed);

    // --- the operations (CorvaneExport.cpp, CorvaneDelete.cpp, CorvaneUpload.cpp)
    // Deletes everything below folder; counts the project files deleted. The
    // last error is that of the last failed deletion on the top level, or 0.
    TreeCount DeleteFolderTree(const fw::WString& folder);
    // Hands the project's items to the host; how many.
    int UploadProjectItems(const fw::WString& projectFolder);

    // --- the dialog (CorvaneDlg.cpp, CorvaneInput.cpp)
    // Grid set-up, the project list, free space; also the reload after an operation.
    void InitGrids();
    void UpdateButtons();
    void LayoutToScreen(unsigned cx, unsigned cy);
    // Remembers the file of that file-grid row as the one to open.
    void RememberFile(int row);
    // The name of the file listed in that file-grid row, as the folder has it
    // (the row shows it without its extension); empty for no such row. Every
    // path of a single file that goes to the host or the disk ends with it.
    const fw::WString& ListedFileName(int row);
    // Posts a click into the selected row of grid 7 or 8.
    void ClickSelectedRow(int id);

    // --- state, for the operations and for callers
    const fw::WString& StorageRoot() const { return m_storageRoot; }
    const fw::WString& DataFolder() const { return m_dataFolder; }
    const fw::WString& OpenProject() const { return m_openProject; }
    const fw::WString& HostProjectFolder() const { return m_hostProjectFolder; }
    const fw::WString& StartFile() const { return m_startFile; }
    const fw::WString& FilePattern() const { return m_filePattern; }
    // The extension with its dot that file rows leave off their names.
    fw::WString Extension() const;
    int32_t Language() const { return m_language; }
    int32_t LayoutCode() const { return m_layoutCode; }
    int StorageKind() const { return m_storageKind; }
    bool HasUploadSpace() const { return m_uploadSpace; }
    // The text of the free-space indicator as last drawn (during an operation its progress).
    const fw::WString& FreeSpaceText() const { return m_freeSpaceText; }
    const HostHooks& Host() const { return m_host; }
    CGridCtrl& ProjectGrid() { return m_projectGrid; }
    CGridCtrl& FileGrid() { return m_fileGrid; }

    // Columns of the file grid; both grids have the check box in 0 and the name in 1.
    static constexpr int kColumnCheck = 0;
    static constexpr int kColumnName = 1;
    static constexpr int kColumnState = 2;
    static constexpr int kColumnUploadTime = 3;
    static constexpr int kColumnSize = 4;
    static constexpr int kColumnModified = 5;

    // The volumes.
    static constexpr wchar_t kFlashDiskRoot[] = L"\\Flash Disk\\";
    static constexpr wchar_t kStorageCardRoot[] = L"\\Storage Card\\";
    static constexpr wchar_t kUDiskRoot[] = L"\\硬盘\\";

    static constexpr wchar_t kComboBoxClass[] = L"ComboBox";

    // Storage kinds.
    static constexpr int kFlashDisk = 0;
    static constexpr int kStorageCard = 1;
    static constexpr int kNoStorage = -1;

protected:
    // The pause between an operation's work and its result, so the lists
    // settle on the screen first. Virtual so that a measurement can take it
    // apart from the work.
    virtual void PauseBeforeResult() const;

    void DoDataExchange() override;
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG* message) override;

private:
    void SetCaptions();
    void OnGridClick(int id, const GridNotification& notification);
    void OnGridSelChanged(int id);
    void OnOpen();
    // Whether the file list has a row for this file name (with its extension).
    bool IsListedFile(const fw::WString& name);
    void OnExit();
    void OnExport();
    void OnDelete();
    void OnUpload();
    // Asks a Yes/No question in the dialog's language; true unless the answer
    // is No. A language without texts asks nothing and agrees.
    bool Agrees(const TwoLanguageText& question, const TwoLanguageText& caption) const;
    // The files, of any type, below the checked projects' folders.
    int FilesOfCheckedProjects();
    // The row of the open project in the project grid (its selected row); -1 when none.
    int SelectedProjectRow();
    LRESULT OnCtlColor(UINT message, WPARAM dc, LPARAM control);
    void OnPaint();
    // The off-screen indicator: white, blue from the left over the share
    // given, the indicator's text right-aligned, a black frame.
    void DrawIndicator(double blueShare);
    // Brings the progress on the screen up to date before the host is called.
    void ShowProgress();
    HFONT HostFont() const;
    CGridCtrl* GridOf(int id);
    // A child's window rectangle in this dialog's coordinates.
    RECT RectInDialog(HWND child) const;
    static bool HasWindowClass(HWND window, const wchar_t* name);
    // The check box of a row's column 0, or null when that cell is none.
    static CGridCellCheck* CheckCellOf(CGridCtrl& grid, int row);
    CGridCtrl* GridOfWindow(HWND window);
    // Posts a left-button press and release at a point of a grid's client area.
    static void PostClick(CGridCtrl& grid, POINT point);
    // A host's or our grid behind a window object: a CGridCtrl by window and run-time class.
    static CGridCtrl* GridBehind(fw::Window* control);
    // What the status query told of a listed file (nothing when it failed).
    struct FileStatus {
        bool known = false;
        FILETIME lastWrite{};
        unsigned long long size = 0;
    };
    // File rows: the status columns of rows 1 ... last, from each row's status
    // (of the entry row - first) and upload.ini.
    void FillFileStatus(CGridCtrl& grid, const fw::WString& folder, int first, const std::vector<FileStatus>& statuses);
    void SelectHostStartFile(const fw::WString& folder);

    fw::WString m_resultPath;
    HostHooks m_host;
    const CorvaneFont* m_font = nullptr;
    fw::WString m_storageRoot;
    fw::WString m_openProject;  // project name + "\" of the listed files
    fw::WString m_hostProjectFolder;
    fw::WString m_startFile;  // to preselect, then the last clicked file
    fw::WString m_filePattern;
    fw::WString m_dataFolder;
    int32_t m_language = 0;
    const ColorScheme* m_colors = nullptr;
    std::unique_ptr<fw::MemoryBitmap> m_freeSpaceBitmap;  // off-screen free-space indicator
    fw::WString m_freeSpaceText;
    bool m_indicatorShowsProgress = false;
    OperationProgress* m_progress = nullptr;  // of the operation running, if any
    POINT m_pressPoint{};  // last left-button press on a grid
    int m_storageKind = kFlashDisk;
    CGridCtrl m_projectGrid;
    CGridCtrl m_fileGrid;
    std::vector<fw::WString> m_listedFiles;  // the file grid's names, each row holds its index + 1
    bool m_keyboardNavigation = false;
    bool m_uploadSpace = true;
    int32_t m_layoutCode = 0;
    fw::Font m_largeGridFont;
};
