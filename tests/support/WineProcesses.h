#pragma once
// This test's Wine processes as Linux sees them: a power cut (kill -9 of the
// Wine process) and strace attached to count the flushes that reach the
// system (FlushFileBuffers becomes fsync).

#include <map>
#include <string>

namespace testsupport {

// kill -9 of every Wine process of this prefix whose command line names the
// program (as "Update.exe"); false when there was none.
bool KillWineProcess(const std::wstring& program);

// strace attached to this test process, every thread and the threads it
// starts, noting each fsync and fdatasync with the file's path.
class SyncTrace {
public:
    SyncTrace();
    ~SyncTrace();
    SyncTrace(const SyncTrace&) = delete;
    SyncTrace& operator=(const SyncTrace&) = delete;

    bool IsAttached() const { return m_attached; }
    // Why it is not attached (strace missing, attaching not permitted).
    const std::wstring& Why() const { return m_why; }
    // Detaches; how many calls each file had since attaching, by its Linux path.
    std::map<std::wstring, int> Stop();

private:
    std::wstring m_output;  // Linux paths
    std::wstring m_pidFile;
    std::wstring m_sentinel;
    bool m_attached = false;
    std::wstring m_why;
};

}  // namespace testsupport
