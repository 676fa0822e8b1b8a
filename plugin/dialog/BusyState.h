#pragma once
// The busy state of a file operation, the only sign of progress while it runs
// synchronously on the dialog's thread: the wait cursor, and the cursor moved
// to the centre of the screen. Left by Leave, or when the object goes, so an
// operation leaves it on every path by which it ends.

#include <optional>

#include "framework/WaitCursor.h"

class BusyState {
public:
    BusyState();
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

    void Leave() { m_cursor.reset(); }

private:
    std::optional<fw::WaitCursor> m_cursor;
};
