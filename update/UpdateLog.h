#pragma once
// update.log beside the program: what each run did, for whoever looks after
// the device afterwards. UTF-16LE lines ending with CR LF, as update.ini.
// Every line is written and flushed on its own, so a run cut off at any
// moment leaves whole lines, the last one telling how far it got:
//
//     start 2024-05-01 09:30:00
//     source "\硬盘\Q9Soft\"
//     staging "\Flash Disk\temp\"
//     installation "\Flash Disk\Q9Soft\"
//     files 2000                        (listed)
//     staged 2000                       (the first pass went through)
//     skipped installing "\Flash Disk\temp\MFC80U.dll" error=32
//     installed 1999                    (the second pass installed files)
//     result "Update Succeeded!"        (each result text the dialog shows)
//     end 2024-05-01 09:31:12           (a refusal, or the updater ends)
//
// Where things go wrong: "failed staging|installing|removing "<path>"
// error=<code>" for a file that could not be copied or removed, and "space
// staging|installing needed=<bytes> free=<bytes>" for a pass refused for room.
//
// A log that cannot be opened or written is passed over: it never stops or
// changes the update, and leaves the thread's last error as it was. One
// thread writes at a time: the dialog before the worker starts and after it
// has ended, the worker in between.

#include <utility>

#include "framework/Handles.h"
#include "framework/WString.h"

class UpdateLog {
public:
    // A log without a file: every line is dropped.
    UpdateLog() = default;
    explicit UpdateLog(fw::WString path) : m_path(std::move(path)) {}

    // The start of a run: a log over 64 KB becomes "update.log.1" (replacing
    // the older one there), then the file is opened for appending.
    void Open();
    // One line, CR LF added.
    void Write(const fw::WString& line);

    // The local time as "2024-05-01 09:30:00".
    static fw::WString Now();
    // A text in double quotes, as the log shows paths and texts.
    static fw::WString Quoted(const fw::WString& text) { return L"\"" + text + L"\""; }

private:
    fw::WString m_path;
    fw::KernelHandle m_file;
};
