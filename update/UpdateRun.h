#pragma once
// The copying half of an update: one worker thread per run copies the release
// from its source through the staging folder into the installation folder and
// reports to the dialog only by posting WM_UPDATE_PROGRESS.

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "FileTree.h"
#include "UpdateApp.h"
#include "UpdateLog.h"
#include "framework/Handles.h"

// wParam position (0 = failure), lParam total; always posted, never sent.
constexpr UINT WM_UPDATE_PROGRESS = WM_USER + 100;

// lParam of the failure messages the run itself posts (CopyFileList posts (0, 0)).
constexpr LPARAM kFirstPassIncomplete = 1;
constexpr LPARAM kSecondPassCopiedNothing = 2;
// A pass refused before it wrote anything: its volume has too little room
// (the figures are in the job).
constexpr LPARAM kNotEnoughSpace = 3;

// The state of one run. The dialog owns it; once the worker runs, the file
// list is the worker's and the dialog reads only the success flag, which the
// worker writes before it posts its final message.
struct UpdateJob {
    const UpdateSettings* settings = nullptr;  // read-only after start-up
    HWND window = nullptr;                     // receives WM_UPDATE_PROGRESS
    UpdateLog* log = nullptr;                  // none: nothing is logged
    FileList files;
    FileSizes sizes;  // of the listed files as the listing found them; empty: not known
    std::atomic<bool> succeeded{false};
    // What a refused pass needed and found, in whole MB (needed rounded up,
    // free down); written before (0, kNotEnoughSpace) is posted.
    std::atomic<uint32_t> neededMegabytes{0};
    std::atomic<uint32_t> freeMegabytes{0};
};

// Totals of the two passes for n listed files: the extra steps keep the bar
// short of its end until the final message.
constexpr int PassTotal(int files) { return 2 * files + 5; }

// Copies every listed file to the destination root plus its path relative to
// the source root, posting (position, total) after each file from start + 1 on.
// The number of files copied, or 0 after posting (0, 0) for a failure that
// ended the pass. Unless stopping on any error, a runtime library that cannot
// be copied is passed over (still counted in the progress, not as copied).
// Failed and passed-over files go to the log, under the step "staging" when
// stopping on any error (the first pass), else "installing". With flush, each
// file is on its volume before the next one is copied.
int CopyFileList(const fw::WString& sourceRoot, const FileList& files, int start, const fw::WString& destinationRoot,
                 int total, bool stopOnAnyError, HWND progressWindow, UpdateLog* log = nullptr, bool flush = false);

// What copying the listed files to the destination root takes of its volume:
// each file's size less the size of the file it replaces there, where that is
// more. The sizes are those of the files as their listing found them (or
// empty: each file is asked for its own).
unsigned long long SpaceNeeded(const fw::WString& sourceRoot, const FileList& files, const FileSizes& sizes,
                               const fw::WString& destinationRoot);

// True for the C runtime, MFC and ATL libraries (the file title starts with
// "MSV", "MFC" or "ATL" in any case): they may be in use by the system.
bool IsRuntimeLibraryFile(const fw::WString& path);

// The worker procedure; its argument is the UpdateJob. Returns 1.
DWORD WINAPI UpdateRun(void* job);

// Starts the worker for the job below normal priority. The thread, or no
// handle when no thread could be started or set going.
fw::KernelHandle StartUpdateRun(UpdateJob& job);
// The two steps of that: the worker made suspended at its priority, then set
// going. A worker that cannot be resumed is ended before it runs and its
// handle emptied: false.
fw::KernelHandle CreateUpdateRun(UpdateJob& job);
bool ResumeUpdateRun(fw::KernelHandle& worker);
