#include "audio/SharedMemory.h"

#include "audio/VisFrame.h"
#include "core/IDialogs.h"

#include <algorithm>

namespace quaverly::audio {

namespace {
std::string Trimmed(const std::string &text)
{
    // Control characters and spaces count as blanks at either end.
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}
} // namespace

XWindow FindApplicationWindow(X11WindowSystem &windows, const std::string &title)
{
    if (!windows.connected())
        return 0;
    for (XWindow w : windows.TopLevelWindowsTopFirst())
        if (windows.ClassName(w) == "TApplication" && windows.Title(w) == title)
            return w;
    // A never-mapped window is only among the root's children.
    const XWindow w = windows.FindByTitle(title);
    return (w != 0 && windows.ClassName(w) == "TApplication") ? w : 0;
}

TSharedMemory::TSharedMemory(X11WindowSystem *windows, IDialogs *dialogs) : windows_(windows), dialogs_(dialogs)
{
    if (windows_ && windows_->connected()) {
        sendingDataMsg_ = windows_->InternAtom("WM_SendingData");
        (void)windows_->InternAtom("WM_RequestingData"); // registered for the other side; unused here
    }
}

TSharedMemory::~TSharedMemory() { CloseHandles(); }

void TSharedMemory::SetTargetApplication(const std::string &name)
{
    targetApplication_ = Trimmed(name);
    if (!targetApplication_.empty())
        targetWindow_ = windows_ ? FindApplicationWindow(*windows_, targetApplication_) : 0;
}

bool TSharedMemory::CreateMapping()
{
    const bool heldBefore = mapping_ != nullptr;
    if (!heldBefore) {
        const std::size_t size = std::max(Size, visframe::FrameEnd);
        auto block = std::make_unique<SharedMemory>(ShareName, size, SharedMemory::Mode::Create);
        if (ShareName.empty() || !block->valid() || block->size() < size) {
            CloseHandles();
            return false;
        }
        mapping_ = std::move(block);
    }
    return !heldBefore;
}

std::size_t TSharedMemory::MappedSize() const { return mapping_ ? mapping_->size() : 0; }

std::uint8_t *TSharedMemory::MapView()
{
    if (!mapping_)
        return nullptr;
    if (!ReadOnly)
        return mapping_->data();
    if (!readView_) {
        readView_ = std::make_unique<SharedMemory>(ShareName, mapping_->size(), SharedMemory::Mode::OpenReadOnly);
        if (!readView_->valid()) {
            readView_.reset();
            return nullptr;
        }
    }
    return readView_->data();
}

void TSharedMemory::UnmapView(std::uint8_t *view)
{
    if (readView_ && view == readView_->data())
        readView_.reset();
}

void TSharedMemory::CloseHandles()
{
    readView_.reset();
    mapping_.reset();
}

void TSharedMemory::Notify(std::int32_t wParam, std::int32_t lParam)
{
    if (!mapping_)
        return;
    if (targetWindow_ == 0 && !targetApplication_.empty() && windows_)
        targetWindow_ = FindApplicationWindow(*windows_, targetApplication_);
    if (targetWindow_ != 0 && windows_ && windows_->Exists(targetWindow_)) {
        windows_->PostClientMessage(targetWindow_, sendingDataMsg_, wParam, lParam);
        return;
    }
    if (MsgOutOnErr && dialogs_) {
        if (targetWindow_ != 0)
            dialogs_->MessageBox("The target application is not active on your system.\n"
                                 "The notification message has not been sent.",
                                 "Warning...");
        else
            dialogs_->MessageBox("The target application is not specified.\n"
                                 "The notification message has not been sent.",
                                 "Warning...");
    }
}

} // namespace quaverly::audio
