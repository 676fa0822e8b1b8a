// A plug-in for the host's tests, loaded in place of Corvane.dll: it calls
// every hook of the record that is present, in record order, with texts made
// from the record, and returns those texts with the answers it got. So the
// host's journal, answers and conversions can be checked for hooks that the
// file manager calls only in its operations.
#include "plugin/Corvane.h"

#include <string>

#include "framework/WString.h"

namespace {
std::string g_result;
}

// Returns data + start + "|" answers of messageBox (twice), deleteFile and canUpload (-1: absent).
const char* CORVANE_CALL Corvane_ShowManager(const ShowManagerParams* params)
{
    if (!params)
        return "";
    const fw::WString data = fw::WString::FromAnsi(params->dataLocation);
    const fw::WString start = fw::WString::FromAnsi(params->startLocation);
    if (params->onExported)
        params->onExported((data + L"导出\\").c_str());
    int32_t answers[2] = {-1, -1};
    if (params->messageBox) {
        answers[0] = params->messageBox(CorvaneString(start.c_str()), CorvaneString(L"提示"), 4);
        answers[1] = params->messageBox(CorvaneString(L"第一行\r\n\"第二行\""), CorvaneString(), 0);
    }
    if (params->onUploadProjectChanged)
        params->onUploadProjectChanged();
    if (params->uploadItem)
        params->uploadItem(CorvaneString((data + start).c_str()), CorvaneString());
    const int32_t upload = params->canUpload ? params->canUpload() : -1;
    if (params->onUploadDone)
        params->onUploadDone();
    if (params->onUploadRefused)
        params->onUploadRefused();
    const int32_t deleted = params->deleteFile ? params->deleteFile(CorvaneString((data + L"删除.abc").c_str())) : -1;
    g_result = (data + start + fw::WString::Format(L"|%d|%d|%d|%d", answers[0], answers[1], deleted, upload)).ToAnsi();
    return g_result.c_str();
}

// The host looks both exports up; the folder lists are the real plug-in's.
void CORVANE_CALL Corvane_SetFolderCtrl(const char*, void*) {}
