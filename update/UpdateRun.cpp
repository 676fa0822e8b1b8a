#include "UpdateRun.h"

#include "framework/Files.h"
#include "framework/Guard.h"
#include "framework/Path.h"

namespace {

// The pause between the second pass and the removal of the staging folder.
constexpr DWORD kSettleMilliseconds = 200;

constexpr unsigned long long kMegabyte = 1024 * 1024;

void PostProgress(HWND window, WPARAM position, LPARAM total)
{
    ::PostMessageW(window, WM_UPDATE_PROGRESS, position, total);
}

void Log(UpdateLog* log, const fw::WString& line)
{
    if (log)
        log->Write(line);
}

// One file of a pass, copied onto a read-only target as well: the copy
// carries a read-only attribute along, and a read-only target refuses to be
// overwritten (the next update would fail half way), so such a target is
// copied onto again once its attribute is off. A failure leaves its last error.
bool CopyOne(const fw::WString& source, const fw::WString& target, bool flush)
{
    const auto copy = [&] {
        return flush ? fw::CopyFileFlushed(source, target) : ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
    };
    if (copy())
        return true;
    const DWORD error = ::GetLastError();
    if (ClearReadOnly(target))
        return copy();
    ::SetLastError(error);
    return false;
}

}  // namespace

int CopyFileList(const fw::WString& sourceRoot, const FileList& files, int start, const fw::WString& destinationRoot,
                 int total, bool stopOnAnyError, HWND progressWindow, UpdateLog* log, bool flush)
{
    const wchar_t* step = stopOnAnyError ? L"staging " : L"installing ";
    if (!IsExistingFolder(destinationRoot))
        CreateDirectoryTree(destinationRoot);

    int position = start;
    int copied = 0;
    // The listing keeps a folder's files together: its target folder is looked
    // up (and made) once for them, not once for each.
    fw::WString knownFolder;
    for (const fw::WString& path : files) {
        // The list holds paths below the source root; the root's length is cut off as it stands.
        fw::WString target = destinationRoot + path.Mid(sourceRoot.Length());
        fw::WString folder = fw::WithoutFinalBackslash(fw::FolderOf(target));
        if (folder != knownFolder) {
            const bool there = IsExistingFolder(folder) || CreateDirectoryTree(folder);
            knownFolder = there ? folder : fw::WString();
        }

        if (CopyOne(path, target, flush)) {
            ++copied;
        } else {
            const DWORD error = ::GetLastError();
            const bool passedOver = !stopOnAnyError && IsRuntimeLibraryFile(path);
            Log(log, (passedOver ? L"skipped " : L"failed ") + fw::WString(step) + UpdateLog::Quoted(path) +
                         fw::WString::Format(L" error=%lu", error));
            if (!passedOver) {
                PostProgress(progressWindow, 0, 0);
                return 0;
            }
        }
        ++position;
        PostProgress(progressWindow, static_cast<WPARAM>(position), total);
    }
    return copied;
}

unsigned long long SpaceNeeded(const fw::WString& sourceRoot, const FileList& files, const FileSizes& sizes,
                               const fw::WString& destinationRoot)
{
    const bool sized = sizes.size() == files.size();
    // A destination that is not there yet (the staging folder, as a rule) has no file to replace.
    const bool replaces = IsExistingFolder(fw::WithoutFinalBackslash(destinationRoot));
    unsigned long long needed = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const unsigned long long size = sized ? sizes[i] : fw::FileSizeOf(files[i]);
        const unsigned long long replaced =
            replaces ? fw::FileSizeOf(destinationRoot + files[i].Mid(sourceRoot.Length())) : 0;
        if (size > replaced)
            needed += size - replaced;
    }
    return needed;
}

bool IsRuntimeLibraryFile(const fw::WString& path)
{
    fw::WString name = fw::FileNameOf(path);
    size_t dot = name.ReverseFind(L'.');
    fw::WString title = dot == fw::WString::kNoPosition ? fw::WString() : name.Left(dot);
    fw::WString prefix = title.MakeUpper().Left(3);
    return prefix == L"MSV" || prefix == L"MFC" || prefix == L"ATL";
}

namespace {

// Whether the pass's destination volume has room for it; when not, the
// figures go to the log and into the job for the dialog. A volume that
// cannot be measured is left to the copy to find out.
bool HasRoom(UpdateJob& job, const fw::WString& sourceRoot, const fw::WString& destinationRoot, const wchar_t* step)
{
    unsigned long long free = 0;
    if (!fw::FreeSpaceFor(destinationRoot, free))
        return true;
    const unsigned long long needed = SpaceNeeded(sourceRoot, job.files, job.sizes, destinationRoot);
    if (needed <= free)
        return true;
    Log(job.log, L"space " + fw::WString(step) + fw::WString::Format(L" needed=%llu free=%llu", needed, free));
    job.neededMegabytes.store(static_cast<uint32_t>((needed + kMegabyte - 1) / kMegabyte));
    job.freeMegabytes.store(static_cast<uint32_t>(free / kMegabyte));
    return false;
}

DWORD RunJob(UpdateJob& job)
{
    const UpdateSettings& settings = *job.settings;
    job.succeeded.store(false);
    job.neededMegabytes.store(0);
    job.freeMegabytes.store(0);
    int listed = static_cast<int>(job.files.size());

    // Refused, the run has written nothing: no staging folder, no installation folder.
    if (!HasRoom(job, settings.updateSrcPath, settings.tempPath, L"staging")) {
        PostProgress(job.window, 0, kNotEnoughSpace);
        return 1;
    }
    CreateDirectoryTree(settings.updateDstPath);

    // Nothing of the installation is touched before the whole release is staged.
    int staged = CopyFileList(settings.updateSrcPath, job.files, 0, settings.tempPath, PassTotal(listed), true,
                              job.window, job.log);
    if (staged != listed) {
        PostProgress(job.window, 0, kFirstPassIncomplete);
        return 1;  // the staging folder stays with what was copied
    }
    Log(job.log, fw::WString::Format(L"staged %d", staged));

    // Whatever the staging folder holds takes part, also files an earlier run left there.
    job.files.clear();
    job.sizes.clear();
    CollectFiles(settings.tempPath, job.files, &job.sizes);
    if (!HasRoom(job, settings.tempPath, settings.updateDstPath, L"installing")) {
        // The installation is untouched; the staged copy goes, so the room it took is free again.
        RemoveDirectoryTree(settings.tempPath, job.log);
        PostProgress(job.window, 0, kNotEnoughSpace);
        return 1;
    }
    // Each installed file reaches its volume before the run reports success.
    int installed = CopyFileList(settings.tempPath, job.files, listed, settings.updateDstPath, PassTotal(staged),
                                 false, job.window, job.log, true);
    if (installed != 0)
        Log(job.log, fw::WString::Format(L"installed %d", installed));  // 0: a failure, or every file passed over
    ::Sleep(kSettleMilliseconds);
    RemoveDirectoryTree(settings.tempPath, job.log);

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
    // not run any of its code yet, so it can be ended safely, once the system
    // has finished starting it: asking for its context waits for that. (A
    // thread ended while it is still being started can take the process down.)
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    ::GetThreadContext(worker.Get(), &context);
    ::TerminateThread(worker.Get(), 0);
    ::WaitForSingleObject(worker.Get(), INFINITE);
    worker.Reset();
    return false;
}
