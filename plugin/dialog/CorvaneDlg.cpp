#include "CorvaneDlg.h"

#include "plugin/resource.h"

CCorvaneDlg::CCorvaneDlg() : fw::Dialog(IDD_CORVANE) {}

CCorvaneDlg::~CCorvaneDlg() = default;

void CCorvaneDlg::TakeOverRecord(const ShowManagerParams&) {}

int CCorvaneDlg::ListFolder(const fw::WString&, const fw::WString&, fw::Window*)
{
    return 0;
}
