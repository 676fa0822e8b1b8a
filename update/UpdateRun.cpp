#include "UpdateRun.h"

#include "framework/Guard.h"
#include "framework/Path.h"

namespace {

// The pause between the second pass and the removal of the staging folder.
constexpr DWORD kSettleMilliseconds = 200;

void PostProgress(HWND window, WPARAM position, LPARAM total)
{
    ::PostMessageW(window, WM_UPDATE_PROGRESS, position, total);
}

}  // namespace

int CopyFileList(const fw::WString& sourceRoot, const FileList& files, int start, const fw::WString& destinationRoot,
                 int total, bool stopOnAnyError, HWND progressWindow)
{
    if (!IsExistingFolder(destinationRoot))
        CreateDirectoryTree(destinationRoot);

    int position = start;
    int copied = 0;
    for (const fw::WString& path : files) {
        // The list holds paths below the source root; the root's length is cut off as it stands.
        fw::WString target = destinationRoot + path.Mid(sourceRoot.Length());
        fw::WString folder = fw::WithoutFinalBackslash(fw::FolderOf(target));
        if (!IsExistingFolder(folder))
            CreateDirectoryTree(folder);

        // The copy carries a read-only attribute along, and a read-only target
        // refuses to be overwritten (the next update would fail half way):
        // such a target is copied onto again once its attribute is off.
        if (::CopyFileW(path.c_str(), target.c_str(), FALSE) ||
            (ClearReadOnly(target) && ::CopyFileW(path.c_str(), target.c_str(), FALSE))) {
            ++copied;
        } else if (stopOnAnyError || !IsRuntimeLibraryFile(path)) {
            PostProgress(progressWindow, 0, 0);
            return 0;
        }
        ++position;
        PostProgress(progressWindow, static_cast<WPARAM>(position), total);
    }
    return copied;
}

bool IsRuntimeLibraryFile(const fw::WString& path)
{
    fw::WString name = fw::FileNameOf(path);
    size_t dot = name.ReverseFind(L'.');
    fw::WString title = dot == fw::WString::npos ? fw::WString() : name.Left(dot);
    fw::WString prefix = title.MakeUpper().Left(3);
    return prefix == L"MSV" || prefix == L"MFC" || prefix == L"ATL";
}

namespace {

DWORD RunJob(UpdateJob& job)
{
    const UpdateSettings& settings = *job.settings;
    job.succeeded.store(false);

    CreateDirectoryTree(settings.updateDstPath);
    int listed = static_cast<int>(job.files.size());

    // Nothing of the installation is touched before the whole release is staged.
    int staged = CopyFileList(settings.updateSrcPath, job.files, 0, settings.tempPath, PassTotal(listed), true,
                              job.window);
    if (staged != listed) {
        PostProgress(job.window, 0, kFirstPassIncomplete);
        return 1;  // the staging folder stays with what was copied
    }

    // Whatever the staging folder holds takes part, also files an earlier run left there.
    job.files.clear();
    CollectFiles(settings.tempPath, job.files);
    int installed = CopyFileList(settings.tempPath, job.files, listed, settings.updateDstPath, PassTotal(staged),
                                 false, job.window);
    ::Sleep(kSettleMilliseconds);
    RemoveDirectoryTree(settings.tempPath);

    if (installed != 0) {
        job.succeeded.store(true);  // before the final message, which the dialog reads it for
        PostProgress(job.window, static_cast<WPARAM>(PassTotal(staged)), PassTotal(staged));
    } else {
        PostProgress(job.window, 0, kSecondPassCopiedNothing);
    }
    return 1;
}

}  // namespace

DWORD WINAPI UpdateRun(void* parameter)
{
    UpdateJob& job = *static_cast<UpdateJob*>(parameter);
    if (fw::NoThrow(false, [&job] { return RunJob(job) != 0; }))
        return 1;
    // A run that failed on its way (memory ran out) ends like an incomplete pass, so the dialog stops waiting.
    PostProgress(job.window, 0, kFirstPassIncomplete);
    return 1;
}

fw::KernelHandle StartUpdateRun(UpdateJob& job)
{
    fw::KernelHandle worker = CreateUpdateRun(job);
    if (worker)
        ResumeUpdateRun(worker);
    return worker;
}

fw::KernelHandle CreateUpdateRun(UpdateJob& job)
{
    fw::KernelHandle thread(::CreateThread(nullptr, 0, &UpdateRun, &job, CREATE_SUSPENDED, nullptr));
    // Below normal (the device's priority 4), so that the dialog stays responsive while files are copied.
    if (thread)
        ::SetThreadPriority(thread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    return thread;
}

bool ResumeUpdateRun(fw::KernelHandle& worker)
{
    if (::ResumeThread(worker.Get()) != static_cast<DWORD>(-1))
        return true;
    // Never resumed, the thread would keep the dialog waiting for good. It has
    // not run any of its code yet, so it can be ended safely.
    ::TerminateThread(worker.Get(), 0);
    ::WaitForSingleObject(worker.Get(), INFINITE);
    worker.Reset();
    return false;
}
